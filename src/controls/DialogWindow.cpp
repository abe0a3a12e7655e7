#include "controls/DialogWindow.h"

#include "platform/Guard.h"

#include <QCloseEvent>

DialogWindow::DialogWindow(QWidget *parent) : QDialog(parent)
{}

void DialogWindow::setCloseRequestHandler(std::function<void()> handler)
{
    mCloseRequest = std::move(handler);
}

void DialogWindow::closeByCode()
{
    const bool old = mAllowClose;
    mAllowClose = true;
    close();
    mAllowClose = old;
}

void DialogWindow::reject()
{
    if (mCloseRequest && !mAllowClose) {
        GUARD_BEGIN
        mCloseRequest();
        GUARD_END_VOID
        return;
    }
    QDialog::reject();
}

void DialogWindow::closeEvent(QCloseEvent *event)
{
    if (mCloseRequest && !mAllowClose) {
        event->ignore();
        GUARD_BEGIN
        mCloseRequest();
        GUARD_END_VOID
        return;
    }
    QDialog::closeEvent(event);
}
