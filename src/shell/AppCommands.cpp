#include "shell/AppCommands.h"

#include "controls/LiveHelpDialog.h"
#include "layers/LengthUnits.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "platform/ModalRun.h"
#include "platform/NotificationCenter.h"
#include "services/Alerts.h"
#include "services/AppSetting.h"
#include "services/Localization.h"
#include "services/Utility.h"
#include "shell/AppBusyFlag.h"
#include "shell/SettingDlg.h"
#include "textcompare/MergeEditWndCtr.h"
#include "themes/MyLanguageFileTypeDlg.h"
#include "foldercompare/MergeFileListWndCtr.h"
#include "shell/MainThreadAlerts.h"
#include "shell/OpenImageCompareWindow.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>

namespace {

bool gFileTypeDialogRunning = false;

bool modalWindowRuns()
{
    return platform::currentModalWindow() != nullptr || QApplication::activeModalWidget();
}

// The preferences key from any window that runs no dialog of its own.
class PreferencesKeyFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if ((event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) &&
            watched->isWidgetType() && !modalWindowRuns()) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Comma)) {
                event->accept();
                if (event->type() == QEvent::KeyPress)
                    // Out of the key event: the dialog runs its own loop.
                    platform::performAfterDelay(
                        qApp, 0, [] { Btn_Setting(false); }, QStringLiteral("preferencesKey"));
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

// After the first start's preferences: a quit ends the start-up; otherwise a start window opens
// when no window is (a compare window asked for on the command line may be).
void finishFirstStart(bool quitKey)
{
    const AppCommandHooks &hooks = appCommandHooks();
    if (quitKey && hooks.requestQuit)
        hooks.requestQuit();
    const bool quitting = quitKey || (hooks.isQuitting && hooks.isQuitting());
    if (!quitting && hooks.hasOpenWindow && !hooks.hasOpenWindow() && hooks.openStartWindow)
        hooks.openStartWindow();
}

} // namespace

void InstallAppCommands(QApplication *app)
{
    static bool installed = false;
    if (!app || installed)
        return;
    installed = true;
    app->installEventFilter(new PreferencesKeyFilter(app));
    MergeEditWndCtr::setViewSettingGuard([](qint64 length) {
        return allowToChangeViewSettingForBigSize_NoWrap_ShowLine_HighLight(length);
    });
    MergeEditWndCtr::setToolTipShower([](const QString &text, const QPoint &at, QWidget *window) {
        showToolTip(text, at, window);
    });
    MergeFileListWndCtr::setImagePairOpener([](const QString &left, const QString &right) {
        return OpenImageCompareWindowController(left, right) != nullptr;
    });
    InstallMainThreadAlerts();
}

void ScheduleFirstRunPreferences(std::function<bool()> hasOpenWindow,
                                 std::function<void()> openStartWindow)
{
    AppCommandHooks &hooks = appCommandHooks();
    hooks.hasOpenWindow = std::move(hasOpenWindow);
    hooks.openStartWindow = std::move(openStartWindow);
    platform::performAfterDelay(
        qApp, kFirstRunPreferencesDelay, [] { Btn_Setting(true); },
        QStringLiteral("firstRunPreferences"));
}

AppCommandHooks &appCommandHooks()
{
    static AppCommandHooks hooks;
    return hooks;
}

QByteArray SettingsRecordForComparison()
{
    QByteArray bytes = AppSetting_ToData(gAppSetting);
    const auto zero = [&](qsizetype offset, qsizetype length) {
        for (qsizetype i = 0; i < length; ++i)
            bytes[offset + i] = 0;
    };
    zero(offsetof(AppSetting, settingDialogLastTabIndex), sizeof(qint32));
    zero(offsetof(AppSetting, bIsDarkMode), 1);
    return bytes;
}

void RefreshAllOpenDoc()
{
    platform::NotificationCenter::defaultCenter().postNotification(
        QString::fromLatin1(kMergeUpdateFont), &appCommandHooks());
}

PreferencesOutcome Btn_Setting(bool fromFirstRun)
{
    PreferencesOutcome outcome;
    GUARD_BEGIN
    if (GetAppBusyFlag())
        return outcome;
    if (fromFirstRun && modalWindowRuns()) {
        // Another dialog is up: the first start's preferences come once it has closed.
        platform::performAfterDelay(
            qApp, 0.25, [] { Btn_Setting(true); }, QStringLiteral("firstRunPreferences"));
        return outcome;
    }
    const QByteArray before = SettingsRecordForComparison();
    bool quitKey = false;
    if (!modalWindowRuns()) {
        ResetFeetUnitCache();
        SettingDlg dialog;
        QWidget *window = dialog.window();
        if (window) {
            const auto &run = appCommandHooks().runPreferences;
            const int code = run ? run(&dialog) : platform::runModalForWindow(window);
            outcome.shown = true;
            outcome.accepted = code == SettingDlg::CodeOK;
            quitKey = code == SettingDlg::CodeQuit;
            window->close();
        }
    }
    AppSetting_Save();
    LiveHelpDialogSetting_Save();
    outcome.changed = SettingsRecordForComparison() != before;
    if (outcome.changed) {
        platform::NotificationCenter::defaultCenter().postNotification(
            QString::fromLatin1(kFuncChangeAppSetting), &appCommandHooks());
        RefreshAllOpenDoc();
    } else if (outcome.accepted) {
        RefreshAllOpenDoc();
    }
    if (outcome.shown) {
        const bool firstStart = fromFirstRun && gIsFirstRun;
        gIsFirstRun = false;
        if (firstStart)
            finishFirstStart(quitKey);
    }
    return outcome;
    GUARD_END(outcome)
}

void Menu_ToggleViewMarks()
{
    GUARD_BEGIN
    if (modalWindowRuns() || GetAppBusyFlag())
        return;
    AppSetting &s = gAppSetting;
    s.bViewMarks = s.bViewMarks ? 0 : 1;
    if (s.bViewMarks && !s.bViewMarks_showSpace && !s.bViewMarks_showTab && !s.bViewMarks_showEOL) {
        s.bViewMarks_showTab = 1;
        s.bViewMarks_showEOL = 1;
    }
    RefreshAllOpenDoc();
    GUARD_END_VOID
}

void ValidateToggleViewMarksItem(QAction *item)
{
    if (!item)
        return;
    item->setCheckable(true);
    item->setChecked(gAppSetting.bViewMarks != 0);
    item->setEnabled(!GetAppBusyFlag() && !modalWindowRuns());
}

void AttachToggleViewMarksAction(QAction *item, QMenu *menu)
{
    if (!item)
        return;
    item->setCheckable(true);
    ValidateToggleViewMarksItem(item);
    if (menu)
        QObject::connect(menu, &QMenu::aboutToShow, item,
                         [item] { ValidateToggleViewMarksItem(item); });
    QObject::connect(item, &QAction::triggered, item, [item] {
        Menu_ToggleViewMarks();
        // The action flipped its own check mark; the record decides it.
        ValidateToggleViewMarksItem(item);
    });
}

void Menu_AssignFileTypeToLanguage()
{
    if (gFileTypeDialogRunning)
        return;
    gFileTypeDialogRunning = true;
    // Cleared on every way out, an exception included.
    struct Clear
    {
        ~Clear() { gFileTypeDialogRunning = false; }
    } clear;
    GUARD_BEGIN
    if (const auto &run = appCommandHooks().runFileTypeDialog)
        run();
    else
        MyLanguageFileTypeDlg::runModal();
    GUARD_END_VOID
}

bool IsAssignFileTypeDialogRunning()
{
    return gFileTypeDialogRunning;
}

bool allowToChangeViewSettingForBigSize_NoWrap_ShowLine_HighLight(qint64 length)
{
    GUARD_BEGIN
    if (length < kBigTextLength)
        return true;
    // The stored key keeps its old spelling; English readers see it mended.
    const QString key = QStringLiteral(
        "Warning!\nThis is a very big file (%@ chars), if you change this setting, editing speed "
        "will be slowed down.\nArea you sure you want to change the setting?");
    QString message = L_(key);
    if (message == key)
        message.replace(QStringLiteral("Area you sure"), QStringLiteral("Are you sure"));
    message = FillFormat(message, {GetDecimalReadStringFromInt(length)});
    const QString info = FillFormat(
        L_(QStringLiteral("For content bigger than %@ chars, following settings are set to "
                          "optimize speed:\n\t +Wrap = ON;\n\t +Highlight = OFF;\n\t +Show line "
                          "number = OFF;")),
        {GetDecimalReadStringFromInt(kBigTextLength)});
    return ShowMessage2(message, info, L_(QStringLiteral("Yes")), L_(QStringLiteral("No"))) == 1000;
    GUARD_END(false)
}

QLabel *get_windowToolTipItem_For_Window(QWidget *window)
{
    if (!window)
        return nullptr;
    for (const QPointer<MergeWindow> &slot : gOpenCompareWindowList) {
        auto *text = qobject_cast<MergeEditWndCtr *>(slot.data());
        if (!text || text->mIsClosing || !text->isWindowLoaded() || text->window() != window)
            continue;
        if (!window->isVisible())
            return nullptr;
        QLabel *tip = text->windowToolTipItem();
        if (!tip) {
            REPORT_FATAL();
            return nullptr;
        }
        // Above every sibling view.
        if (tip->parentWidget())
            tip->raise();
        return tip;
    }
    return nullptr;
}

QRect ToolTipPlacement(const QPoint &pointer, const QSize &size, const QRect &area)
{
    // Right of the arrow and a little below its tip, else left of the pointer; never under it.
    constexpr int kRight = 16, kLeft = 6, kDown = 4;
    QRect r(QPoint(pointer.x() + kRight, pointer.y() + kDown), size);
    if (r.right() > area.right())
        r.moveRight(pointer.x() - kLeft);
    if (r.left() < area.left())
        r.moveLeft(area.left());
    if (r.bottom() > area.bottom())
        r.moveBottom(area.bottom());
    if (r.top() < area.top())
        r.moveTop(area.top());
    return r;
}

void showToolTip(const QString &text, const QPoint &positionOnScreen, QWidget *window)
{
    GUARD_BEGIN
    if (!window) {
        REPORT_FATAL();
        return;
    }
    QLabel *tip = get_windowToolTipItem_For_Window(window);
    if (!tip || !tip->parentWidget()) {
        REPORT_FATAL();
        return;
    }
    if (text.isEmpty()) {
        tip->hide();
        return;
    }
    tip->setText(text);
    const QRect bounds =
        tip->fontMetrics().boundingRect(QRect(0, 0, 90000, 90000), Qt::AlignLeft, text);
    tip->resize(bounds.width() + 12, bounds.height() + 6);
    QWidget *parent = tip->parentWidget();
    const QPoint pointer =
        parent->mapFromGlobal(positionOnScreen.isNull() ? QCursor::pos() : positionOnScreen);
    const QRect r = ToolTipPlacement(pointer, tip->size(), parent->rect());
    // A window too narrow to hold the tip beside the pointer shows none.
    if (r.contains(pointer)) {
        tip->hide();
        return;
    }
    tip->move(r.topLeft());
    tip->show();
    tip->raise();
    GUARD_END_VOID
}

void AppCommand_ValidateDarkModeChanged()
{
    if (const auto &validate = appCommandHooks().validateDarkModeChanged)
        validate();
}
