#include "shell/QuitWalk.h"

#include "platform/Alerts.h"
#include "platform/Guard.h"
#include "platform/LocalPath.h"
#include "platform/Log.h"
#include "services/AppSetting.h"
#include "services/Localization.h"
#include "shell/UntitledBackup.h"
#include "textcompare/MergeWindow.h"

#include <QFile>
#include <QList>
#include <QStringList>
#include <QPointer>
#include <QWidget>

namespace {

bool isUntitled(const MergeWindow *w)
{
    return !w->IsPreviewMode() && w->GetFile1().isEmpty() && w->GetFile2().isEmpty();
}

// A copy of the table: answering a question runs the event loop, and windows may come and go.
QList<QPointer<MergeWindow>> openWindows()
{
    QList<QPointer<MergeWindow>> out;
    for (const auto &slot : gOpenCompareWindowList)
        if (slot)
            out.append(slot);
    return out;
}

enum class Asked { Quit, Cancel };

// What the quit question names of an edited window: each file with unsaved edits.
QStringList editedNames(const MergeWindow &w)
{
    QStringList files = w.EditedFiles();
    if (files.isEmpty()) // a window that cannot tell which side: both
        for (const QString &file : {w.GetFile1(), w.GetFile2()})
            if (!file.isEmpty())
                files << file;
    QStringList names;
    for (const QString &file : std::as_const(files))
        names << (file.isEmpty() ? L_(QStringLiteral("Untitled")) : LocalPath_Shown(file));
    return names.isEmpty() ? QStringList{L_(QStringLiteral("Untitled"))} : names;
}

QString quitQuestionText(const QStringList &names)
{
    constexpr qsizetype kNamed = 8;
    QString text = L_(QStringLiteral("Are you sure you wish to quit?")) + QStringLiteral("\n\n") +
                   L_(QStringLiteral("Unsaved changes:"));
    for (qsizetype k = 0; k < names.size() && k < kNamed; ++k)
        text += QStringLiteral("\n") + names[k];
    if (names.size() > kNamed)
        text += QStringLiteral("\n") + L_Count(names.size() - kNamed, QStringLiteral("and 1 more"),
                                               QStringLiteral("and %1 more"));
    return text;
}

// The edited windows, asked about together, naming their files. "Discard and Close" decides the
// quit; Cancel brings the first of them forward.
Asked askAboutEditedWindows(bool keepUntitled)
{
    QList<QPointer<MergeWindow>> edited;
    QStringList names;
    for (const QPointer<MergeWindow> &w : openWindows()) {
        if (!w || (isUntitled(w) && keepUntitled) || !w->WasEdit())
            continue;
        edited.append(w);
        names += editedNames(*w);
    }
    if (edited.isEmpty())
        return Asked::Quit;
    platform::AlertRequest request;
    request.title = L_(QStringLiteral("Warning"));
    request.text = quitQuestionText(names);
    request.buttons = {L_(QStringLiteral("Discard and Close")), L_(QStringLiteral("Cancel"))};
    // The edits are lost for good: Return, like Escape, keeps them.
    request.cancelIndex = 1;
    request.defaultIndex = 1;
    if (platform::runAlert(request) == platform::AlertFirstButtonReturn)
        return Asked::Quit;
    const QPointer<MergeWindow> &w = edited.first();
    if (!w || !w->isWindowLoaded())
        return Asked::Quit;
    QWidget *window = w->window();
    window->show();
    window->raise();
    window->activateWindow();
    w->RefreshCompare();
    return Asked::Cancel;
}

// Pairs written by an earlier walk of this process (the session asked first, then a signal
// ended the process): written again with the texts as they are now, never twice.
QStringList &pairsOfThisProcess()
{
    static QStringList paths;
    return paths;
}

void rememberPairs(const QList<int> &indices)
{
    pairsOfThisProcess().clear();
    for (int index : indices)
        pairsOfThisProcess() << BackupPairPath(index, 1) << BackupPairPath(index, 2);
}

bool askQuitAnyway(const QString &text)
{
    platform::AlertRequest request;
    request.title = L_(QStringLiteral("Warning"));
    request.text = text;
    request.buttons = {L_(QStringLiteral("Quit Anyway")), L_(QStringLiteral("Cancel"))};
    request.cancelIndex = 1;
    request.defaultIndex = 1;
    return platform::runAlert(request) == platform::AlertFirstButtonReturn;
}

} // namespace

TerminateReply QuitWalk_ShouldTerminate(bool allowInteraction)
{
    const bool keepUntitled = gAppSetting.bAutoSaveUntitleTabBeforeQuit != 0;
    try {
        if (allowInteraction && askAboutEditedWindows(keepUntitled) == Asked::Cancel)
            return TerminateReply::Cancel;
    } catch (const std::exception &e) {
        platform::reportException(__FILE__, Q_FUNC_INFO, __LINE__, &e);
        if (!allowInteraction)
            return TerminateReply::Now;
        return askQuitAnyway(L_(QStringLiteral("Something went wrong while preparing to quit.")))
                   ? TerminateReply::Now
                   : TerminateReply::Cancel;
    }
    if (!keepUntitled)
        return TerminateReply::Now;

    for (const QString &path : pairsOfThisProcess())
        QFile::remove(path);
    pairsOfThisProcess().clear();
    QList<int> written;
    int failed = 0;
    for (const QPointer<MergeWindow> &w : openWindows()) {
        if (!w || !isUntitled(w))
            continue;
        try {
            const int index =
                backup_BlankTextWindow_For_NextSession(w->GetTextInView1(), w->GetTextInView2());
            if (index >= 0)
                written.append(index);
            else if (index == -2)
                ++failed;
        } catch (const std::exception &e) {
            platform::reportException(__FILE__, Q_FUNC_INFO, __LINE__, &e);
            ++failed;
        }
    }
    if (failed == 0 || !allowInteraction) {
        rememberPairs(written);
        return TerminateReply::Now;
    }
    const QString text =
        failed == 1 ? L_(QStringLiteral("1 untitled text could not be kept for the next start."))
                    : L_(QStringLiteral("%1 untitled texts could not be kept for the next start."))
                          .replace(QStringLiteral("%1"), QString::number(failed));
    if (askQuitAnyway(text)) {
        rememberPairs(written);
        return TerminateReply::Now;
    }
    // Staying: the windows still hold their texts, and the next quit keeps them again.
    for (int index : written)
        RemoveBackupPair(index);
    return TerminateReply::Cancel;
}
