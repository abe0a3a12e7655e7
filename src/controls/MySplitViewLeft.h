#pragma once
// A split view that remembers where the user left its first divider and keeps it there while
// the window is resized; a drag of the divider can go no further right than a limit.

#include <QSplitter>

class MySplitViewLeft : public QSplitter
{
    Q_OBJECT
public:
    explicit MySplitViewLeft(QWidget *parent = nullptr);
    explicit MySplitViewLeft(Qt::Orientation orientation, QWidget *parent = nullptr);

    // Negative means "not set"; the defaults (100 and 0.5) are taken when first needed.
    float defaultPosition = -100;
    float leftMaxRatio = -100;
    float oldPos = -100;

    void setPosition2(std::optional<double> position);
    // The largest position a drag may reach.
    double constrainMaxCoordinate();
    // The right (bottom) pane cannot be collapsed; the first and any further one can.
    bool canCollapseSubview(const QWidget *subview) const;
    // Called by the divider when a drag ends.
    void dividerDragEnded();

protected:
    QSplitterHandle *createHandle() override;
    void resizeEvent(QResizeEvent *event) override;
    void childEvent(QChildEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // The panes are inserted after their child event, so the rule is applied again later.
    void applyCollapsible();
    void takeDefaultsIfNeeded();
};
