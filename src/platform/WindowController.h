#pragma once
// Owner of one top-level window. A subclass (with Q_OBJECT, since its class name is part of the
// window-frame keys) builds its window in makeWindow(), usually from a uic class:
//
//   QWidget *makeWindow() override { return setupWindow<QDialog>(mUi); }
//
// The window is made on first use of window(); windowDidLoad() runs once it exists.

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace platform {

class WindowController : public QObject
{
    Q_OBJECT
public:
    // Sets the dynamic property "windowNibName", read by the window-frame store.
    explicit WindowController(const QString &windowNibName, QObject *parent = nullptr);
    // Takes an existing top-level widget (ownership passes to the controller). A subclass's
    // windowDidLoad() cannot run from here, as the subclass is not built yet: subclasses that
    // need it pass their window to setWindow() instead.
    WindowController(QWidget *window, const QString &windowNibName, QObject *parent = nullptr);
    ~WindowController() override;

    QString windowNibName() const;
    // Loads the window when none is there (again after it was destroyed); nullptr when the
    // subclass makes none.
    QWidget *window();
    bool isWindowLoaded() const { return !mWindow.isNull(); }
    // Replaces the window (the old one is deleted; the new one is owned).
    void setWindow(QWidget *window);

    // Shows, raises and activates the window.
    virtual void showWindow();

    // With it on, a window shown for the first time is placed below and to the right of the
    // last shown window that cascades too, instead of on top of it, and kept on its screen.
    void setShouldCascadeWindows(bool on) { mShouldCascade = on; }
    bool shouldCascadeWindows() const { return mShouldCascade; }
    // Where a window of frame size `size` goes after one whose frame starts at `from`: offset by
    // kCascadeStep, back to the screen's left or top edge where it would leave `screen`.
    static QPoint cascadedPosition(QPoint from, QSize size, const QRect &screen);
    static constexpr int kCascadeStep = 22;
    // Closes the window (it stays owned and may be shown again).
    virtual void close();

    // Called for every window once its controller's windowDidLoad() has run (main thread; the
    // application adds its observers at start-up).
    static void addLoadObserver(std::function<void(QWidget *)> observer);

    // The controller that owns the top-level window; nullptr when none does.
    static WindowController *controllerForWindow(const QWidget *window);
    // The decorations around a top-level window: its own once known, else those of a shown
    // window like it.
    static QMargins expectedFrameMargins(const QWidget *window, const QWidget *like);

    // Set when closing has begun; callbacks that may arrive late test it first.
    bool mIsClosing = false;

signals:
    void windowWillClose();

protected:
    // Builds the window; the default makes none.
    virtual QWidget *makeWindow() { return nullptr; }
    virtual void windowDidLoad() {}
    // Called when the window is about to close by any way (close box included).
    virtual void windowWillCloseEvent() {}

    // A new top-level widget of type W set up by a uic class.
    template <class W, class Ui> W *setupWindow(Ui &ui)
    {
        auto *w = new W();
        ui.setupUi(w);
        return w;
    }

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static std::vector<std::function<void(QWidget *)>> &loadObservers();
    void adopt(QWidget *window);
    void cascadeFromShownWindows();

    bool mShouldCascade = false;

    QPointer<QWidget> mWindow;
    bool mLoading = false;
};

} // namespace platform
