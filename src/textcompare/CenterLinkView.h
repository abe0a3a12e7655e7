#pragma once
// The connector strip between the panes: each block in view is linked to its counterpart, from
// its lines in the left pane to its lines in the right pane.

#include <QPointer>
#include <QWidget>

class MyEditTextView;

class CenterLinkView : public QWidget
{
    Q_OBJECT
public:
    explicit CenterLinkView(QWidget *parent = nullptr);
    void setTextViews(MyEditTextView *left, MyEditTextView *right);
    QSize sizeHint() const override { return QSize(40, 100); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal yInSelf(MyEditTextView *view, qreal viewportY) const;

    QPointer<MyEditTextView> mView1, mView2;
};
