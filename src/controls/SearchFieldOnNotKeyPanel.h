#pragma once
// A search field for a panel that takes no focus: it shows a text set by code, cannot be edited
// or selected, and reacts to clicks only. A click on the square at its right end clears the text
// (clearSearchText); any other click is the field's action (triggered).

#include <QLineEdit>

class QAction;

class SearchFieldOnNotKeyPanel : public QLineEdit
{
    Q_OBJECT
public:
    explicit SearchFieldOnNotKeyPanel(QWidget *parent = nullptr);

    // The square at the right end, as wide as the field is high.
    QRect clearSquare() const;

signals:
    void clearSearchText(SearchFieldOnNotKeyPanel *field);
    void triggered(SearchFieldOnNotKeyPanel *field);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void clearByUser();
    QAction *mClearAction = nullptr;
};
