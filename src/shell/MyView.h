#pragma once
// A plain view that tells its delegate about mouse presses and releases in it before handling
// them as any view does (the start window hides its suggestion list on a click).

#include <QWidget>

class MyView;
class QMouseEvent;

class MyViewDelegate
{
public:
    virtual ~MyViewDelegate() = default;
    virtual void withView_mouseDown(MyView *view, QMouseEvent *event)
    {
        (void)view;
        (void)event;
    }
    virtual void withView_mouseUp(MyView *view, QMouseEvent *event)
    {
        (void)view;
        (void)event;
    }
};

class MyView : public QWidget
{
    Q_OBJECT
public:
    explicit MyView(QWidget *parent = nullptr);

    // Not owned.
    MyViewDelegate *delegate() const { return mDelegate; }
    void setDelegate(MyViewDelegate *delegate) { mDelegate = delegate; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    MyViewDelegate *mDelegate = nullptr;
};
