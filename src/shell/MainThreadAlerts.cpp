#include "shell/MainThreadAlerts.h"

#include "compare/SubThreadAlerts.h"
#include "platform/Guard.h"

namespace {

// Element i as a string; a null string when it is missing or not a string.
QString stringAt(const QVariantList &args, int i)
{
    if (i >= args.size() || args.at(i).typeId() != QMetaType::QString)
        return QString();
    return args.at(i).toString();
}

QString orEmpty(const QString &s)
{
    return s.isNull() ? QStringLiteral("") : s;
}

} // namespace

void Run_ShowMessage2_from_main_thread(QVariantList *args)
{
    GUARD_BEGIN
    if (!args) {
        REPORT_FATAL();
        return;
    }
    if (args->isEmpty()) {
        args->append(0);
        return;
    }
    QString button1 = stringAt(*args, 2);
    if (button1.isNull())
        button1 = QStringLiteral("OK");
    const long answer = ShowMessage2_from_sub_thread(
        orEmpty(stringAt(*args, 0)), orEmpty(stringAt(*args, 1)), button1, stringAt(*args, 3),
        stringAt(*args, 4), stringAt(*args, 5), stringAt(*args, 6));
    args->append(qlonglong(answer));
    GUARD_END_VOID
}

void NSRunAlertPanelMainThread(QVariantList *args)
{
    GUARD_BEGIN
    if (!args)
        return;
    if (args->isEmpty()) {
        args->append(qlonglong(kAlertPanelNoAnswer));
        return;
    }
    const long answer = NSRunAlertPanel_from_sub_thread(
        orEmpty(stringAt(*args, 0)), orEmpty(stringAt(*args, 1)), orEmpty(stringAt(*args, 2)),
        stringAt(*args, 3), stringAt(*args, 4));
    args->append(qlonglong(answer));
    GUARD_END_VOID
}

void InstallMainThreadAlerts()
{
    SubThreadAlertDelegate delegate;
    delegate.showMessage2 = [](QVariantList &args) { Run_ShowMessage2_from_main_thread(&args); };
    delegate.alertPanel = [](QVariantList &args) { NSRunAlertPanelMainThread(&args); };
    SetSubThreadAlertDelegate(std::move(delegate));
}
