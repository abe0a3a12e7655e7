#pragma once
// The window of the application's dialogs. Escape (through reject) and the close box go to the
// dialog's own close action instead of hiding the window, so that only the dialog decides how
// its run ends; closing by code goes through once allowClose is set.

#include <QDialog>
#include <functional>

class DialogWindow : public QDialog
{
    Q_OBJECT
public:
    explicit DialogWindow(QWidget *parent = nullptr);

    // What the close box and Escape do; without one they close the window as usual.
    void setCloseRequestHandler(std::function<void()> handler);
    // Lets the next close() through (the dialog's own end).
    void allowClose(bool allow) { mAllowClose = allow; }
    // Closes the window by code, past the close handler.
    void closeByCode();

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    std::function<void()> mCloseRequest;
    bool mAllowClose = false;
};
