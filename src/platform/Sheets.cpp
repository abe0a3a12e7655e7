#include "platform/Sheets.h"

#include "platform/Dispatch.h"
#include "platform/Log.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>

namespace platform {

namespace {

struct SheetSession
{
    QPointer<QWidget> parent;
    QPointer<QWidget> oldParent;
    Qt::WindowFlags oldFlags;
    Qt::WindowModality oldModality = Qt::NonModal;
    std::function<void(int)> completion;
    QObject *watcher = nullptr;
    QMetaObject::Connection destroyed;
};

std::map<const QWidget *, std::shared_ptr<SheetSession>> gSheets;

void finish(QWidget *sheet, int code, bool sheetAlive)
{
    auto it = gSheets.find(sheet);
    if (it == gSheets.end())
        return;
    std::shared_ptr<SheetSession> session = it->second;
    gSheets.erase(it);
    QObject::disconnect(session->destroyed);
    // The watcher has no parent: it goes with the session, also when the sheet was destroyed.
    if (sheetAlive)
        sheet->removeEventFilter(session->watcher);
    delete session->watcher;
    if (sheetAlive) {
        if (sheet->isVisible())
            sheet->hide();
        sheet->setWindowModality(session->oldModality);
        sheet->setParent(session->oldParent, session->oldFlags);
    }
    if (session->completion)
        session->completion(code);
}

// Ends the sheet with 0 when it is hidden by anything but endSheet (its close box included).
class SheetWatcher : public QObject
{
public:
    explicit SheetWatcher(QWidget *sheet) : QObject(nullptr), mSheet(sheet) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == mSheet && event->type() == QEvent::Hide && mSheet->isHidden()) {
            QWidget *sheet = mSheet;
            performAfterDelay(nullptr, 0, [guarded = QPointer<QWidget>(sheet)] {
                if (guarded && guarded->isHidden())
                    finish(guarded, 0, true);
            });
        }
        return false;
    }

private:
    QWidget *mSheet;
};

} // namespace

bool beginSheet(QWidget *parent, QWidget *sheet, std::function<void(int code)> completion)
{
    if (!parent || !sheet || parent == sheet) {
        Log(QStringLiteral("ERROR beginSheet: no parent or no sheet"));
        return false;
    }
    if (gSheets.count(sheet)) {
        Log(QStringLiteral("ERROR beginSheet: the sheet is already attached"));
        return false;
    }
    auto session = std::make_shared<SheetSession>();
    session->parent = parent->window();
    session->oldParent = sheet->parentWidget();
    session->oldFlags = sheet->windowFlags();
    session->oldModality = sheet->windowModality();
    session->completion = std::move(completion);

    if (sheet->isVisible())
        sheet->hide();
    // A dialog child of the parent's window: modal to that window only, and kept above it.
    sheet->setParent(parent->window(), (session->oldFlags & ~Qt::WindowType_Mask) | Qt::Dialog);
    sheet->setWindowModality(Qt::WindowModal);
    session->watcher = new SheetWatcher(sheet);
    session->destroyed =
        QObject::connect(sheet, &QObject::destroyed, [sheet] { finish(sheet, 0, false); });
    gSheets[sheet] = session;
    sheet->installEventFilter(session->watcher);
    sheet->show();
    sheet->raise();
    sheet->activateWindow();
    return true;
}

bool endSheet(QWidget *sheet, int code)
{
    if (!sheet || !gSheets.count(sheet))
        return false;
    finish(sheet, code, true);
    return true;
}

QWidget *sheetParent(QWidget *sheet)
{
    auto it = gSheets.find(sheet);
    return it == gSheets.end() ? nullptr : it->second->parent.data();
}

} // namespace platform
