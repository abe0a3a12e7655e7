#include "platform/ModalRun.h"

#include "platform/Dispatch.h"
#include "platform/Log.h"

#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

namespace platform {

namespace {

struct ModalSession
{
    QPointer<QWidget> window;
    QEventLoop *loop = nullptr; // null until the loop runs
    int code = 0;
    bool stopped = false;
};

// Innermost run last. Modal runs happen on the main thread only.
std::vector<std::shared_ptr<ModalSession>> gSessions;
std::function<int(QWidget *)> gModalHook;

std::shared_ptr<ModalSession> sessionOf(QWidget *window)
{
    for (auto it = gSessions.rbegin(); it != gSessions.rend(); ++it) {
        if ((*it)->window == window && !(*it)->stopped)
            return *it;
    }
    return nullptr;
}

void endSession(ModalSession &session, int code)
{
    if (session.stopped)
        return;
    session.stopped = true;
    session.code = code;
    if (session.loop)
        session.loop->exit(code);
}

// Ends the run with 0 when its window is closed or hidden by anything other than stopModal.
class CloseWatcher : public QObject
{
public:
    CloseWatcher(std::shared_ptr<ModalSession> session, QObject *parent)
        : QObject(parent), mSession(std::move(session))
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && watched == mSession->window &&
            mSession->window->isHidden())
            endSession(*mSession, 0);
        return false;
    }

private:
    std::shared_ptr<ModalSession> mSession;
};

// Gives a window its modality from before its run once it is hidden. A window that stops being
// application-modal while it is on screen would leave every other window refusing mouse clicks
// after it hides: only hiding a modal window unblocks the others.
class ModalityRestorer : public QObject
{
public:
    ModalityRestorer(QWidget *window, Qt::WindowModality modality)
        : QObject(window), mWindow(window), mModality(modality)
    {
        window->installEventFilter(this);
    }
    Qt::WindowModality modality() const { return mModality; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The window is off screen (and the others unblocked) by the time its Hide event comes.
        if (event->type() == QEvent::Hide && watched == mWindow && mWindow->isHidden()) {
            mWindow->setWindowModality(mModality);
            deleteLater();
        }
        return false;
    }

private:
    QWidget *mWindow;
    Qt::WindowModality mModality;
};

// The modality the window had before any run of it; a pending restore is taken over.
Qt::WindowModality modalityBeforeRuns(QWidget *window)
{
    for (QObject *child : window->children()) {
        if (auto *pending = dynamic_cast<ModalityRestorer *>(child)) {
            const Qt::WindowModality modality = pending->modality();
            window->removeEventFilter(pending);
            delete pending;
            return modality;
        }
    }
    return window->windowModality();
}

void restoreModality(QWidget *window, Qt::WindowModality modality)
{
    if (window->windowModality() == modality)
        return;
    if (window->isHidden())
        window->setWindowModality(modality);
    else
        new ModalityRestorer(window, modality);
}

} // namespace

void setModalHook(std::function<int(QWidget *)> hook)
{
    gModalHook = std::move(hook);
}

int runModalForWindow(QWidget *window)
{
    if (gModalHook)
        return gModalHook(window);
    if (!window) {
        Log(QStringLiteral("ERROR runModalForWindow: no window"));
        return 0;
    }
    if (!isMainThread()) {
        Log(QStringLiteral("ERROR runModalForWindow: not on the main thread"));
        return 0;
    }
    if (sessionOf(window)) {
        Log(QStringLiteral("ERROR runModalForWindow: the window is already running modally"));
        return 0;
    }

    const Qt::WindowModality oldModality = modalityBeforeRuns(window);
    if (oldModality != Qt::ApplicationModal) {
        // Modality takes effect only when the window is shown again.
        if (window->isVisible())
            window->hide();
        window->setWindowModality(Qt::ApplicationModal);
    }

    auto session = std::make_shared<ModalSession>();
    session->window = window;
    gSessions.push_back(session);
    auto *watcher = new CloseWatcher(session, window);
    window->installEventFilter(watcher);
    auto destroyedConnection =
        QObject::connect(window, &QObject::destroyed, [session] { endSession(*session, 0); });

    window->show();
    window->raise();
    window->activateWindow();

    if (!session->stopped) {
        QEventLoop loop;
        session->loop = &loop;
        loop.exec(QEventLoop::DialogExec);
        session->loop = nullptr;
    }

    QObject::disconnect(destroyedConnection);
    if (session->window) {
        session->window->removeEventFilter(watcher);
        delete watcher;
        // The window stays on screen for its owner to close; it gets its old modality back once
        // it is hidden.
        restoreModality(session->window, oldModality);
    }
    std::erase(gSessions, session);
    return session->code;
}

bool stopModalWithCode(QWidget *window, int code)
{
    if (!isMainThread()) {
        Log(QStringLiteral("ERROR stopModalWithCode: not on the main thread"));
        return false;
    }
    auto session = window ? sessionOf(window) : nullptr;
    if (!session)
        return false;
    endSession(*session, code);
    return true;
}

bool stopModal(int code)
{
    QWidget *window = currentModalWindow();
    return window && stopModalWithCode(window, code);
}

bool abortModal()
{
    return stopModal(ModalResponseAbort);
}

bool isRunningModal(QWidget *window)
{
    return window && sessionOf(window) != nullptr;
}

QWidget *currentModalWindow()
{
    for (auto it = gSessions.rbegin(); it != gSessions.rend(); ++it) {
        if (!(*it)->stopped && (*it)->window)
            return (*it)->window;
    }
    return nullptr;
}

} // namespace platform
