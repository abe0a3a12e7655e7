// Reading the files into the panes: on workers (PaneLoader) when the window opens, directly when
// a side is read again (reload, another encoding, a change on disk), and what the window keeps
// of each file to notice later changes.
#include "textcompare/MergeEditWndCtr.h"

#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "platform/LocalPath.h"
#include "services/Alerts.h"
#include "services/Localization.h"
#include "services/WorkerFailure.h"
#include "textcompare/MyEditTextView.h"
#include "textcompare/ShortcutKeysHelp.h"
#include "ui_MergeEditWndCtr.h"

#include <QTimer>
#include <QFutureWatcher>
#include <QThread>
#include <QtConcurrent>

void MergeEditWndCtr::startLoad()
{
    // The frame, the file names and "Loading…" paint now; the files are read on workers. The
    // head of each text is shown as soon as it is read, and the compare starts once both are,
    // while the whole documents are still being built.
    if (mLoadCancel)
        *mLoadCancel = true;
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    mLoadCancel = cancelled;
    mLoadingFiles = true;
    mSidesReading = mSidesBuilding = 0;
    mLoadedText1.clear();
    mLoadedText2.clear();
    mSelectFirstAfterLoad = false;
    mLoadNulFiles.clear();
    mLoadFailedFiles.clear();
    mLoadFailedWhy.clear();
    mLoadTimings = {};
    cancelCompare();
    mCompare->markOutOfDate();
    for (int side : {1, 2})
        textView(side)->setReadOnly(true);
    UpdateTitle();
    updateResultLabel();
    UpdateButtonStatus();
    QThread *mainThread = thread();
    // Whether the long lines of a side are folded must not depend on which side is read first:
    // a file that big makes the other side fold too (its text is measured once read).
    bool bigFile = false;
    for (int side : {1, 2})
        bigFile = bigFile ||
                  (!file(side).isEmpty() && LocalPathInfo(file(side)).size() > kLargeTextGuard);
    for (int side : {1, 2}) {
        if (file(side).isEmpty())
            continue;
        ++mSidesReading;
        ++mSidesBuilding;
        auto *watcher = new QFutureWatcher<LoadedPane>(this);
        connect(watcher, &QFutureWatcher<LoadedPane>::finished, this,
                [this, watcher, side, cancelled, mainThread, bigFile] {
                    // A reader that stopped on an exception read nothing: the side stays empty.
                    QString why;
                    LoadedPane loaded;
                    if (auto read = TakeFinishedResult("load", watcher->future(), &why))
                        loaded = std::move(*read);
                    else
                        failedSide(side, why, &loaded);
                    watcher->deleteLater();
                    // Showing a side's head lays out its first screen: each side in a turn
                    // of its own, as each built document is.
                    inOwnTurn([this, side, cancelled, mainThread, bigFile,
                               loaded = std::move(loaded)]() mutable {
                        if (*cancelled || mIsClosing)
                            return;
                        sideRead(side, loaded);
                        if (*cancelled || mIsClosing)
                            return;
                        if (loaded.complete) { // the head is the whole text
                            sideBuilt(side, nullptr, nullptr, 0);
                            return;
                        }
                        buildWholeSide(side, loaded.text, cancelled, mainThread, bigFile);
                    });
                });
        watcher->setFuture(QtConcurrent::run(ReadPane, file(side), platform::StringEncoding(0),
                                             side == 1 ? mPreferEncoding1 : mPreferEncoding2,
                                             mainThread, cancelled, bigFile));
    }
    if (mSidesReading == 0)
        finishLoad();
}

void MergeEditWndCtr::buildWholeSide(int side, const QString &text,
                                     const std::shared_ptr<std::atomic<bool>> &cancelled,
                                     QThread *mainThread, bool bigFile)
{
    using Built = std::pair<BuiltPaneDocument, qint64>;
    auto *built = new QFutureWatcher<Built>(this);
    connect(built, &QFutureWatcher<Built>::finished, this, [this, built, side, cancelled] {
        QString why;
        std::optional<Built> taken = TakeFinishedResult("load", built->future(), &why);
        built->deleteLater();
        if (!taken) {
            // The pane shows only the head: it must not pass for the whole file.
            inOwnTurn([this, side, cancelled, why] {
                if (*cancelled || mIsClosing)
                    return;
                failedSide(side, why, nullptr);
                sideBuilt(side, nullptr, nullptr, 0);
            });
            return;
        }
        Built result = std::move(*taken);
        // Handing a big document to its pane takes milliseconds: each side gets an event-loop
        // turn of its own.
        inOwnTurn([this, side, cancelled, result] {
            if (*cancelled || mIsClosing)
                return;
            sideBuilt(side, TakePaneDocument(result.first.doc), &result.first.folds, result.second);
        });
    });
    // Own pool: the line compare in the shared one never waits behind builds.
    const bool fold = mLargeText || bigFile;
    const PaneLook look{textView(side)->font(), textView(side)->document()->defaultTextOption()};
    built->setFuture(QtConcurrent::run(PaneBuildPool(), [text, mainThread, cancelled, fold, look] {
        QElapsedTimer timer;
        timer.start();
        BuiltPaneDocument doc = BuildWholePaneDocument(text, mainThread, cancelled, fold, look);
        return std::make_pair(doc, timer.nsecsElapsed());
    }));
}

void MergeEditWndCtr::failedSide(int side, const QString &why, LoadedPane *loaded)
{
    GUARD_BEGIN
    mLoadFailedWhy.insert(file(side), why);
    loadPane(side, QString());
    if (loaded) { // read nothing: sideRead takes it for an unreadable file
        *loaded = LoadedPane{};
        loaded->complete = true;
        return;
    }
    state(side).readOk = false;
    if (!mLoadFailedFiles.contains(file(side)))
        mLoadFailedFiles << file(side);
    (side == 1 ? mLoadedText1 : mLoadedText2) = QStringLiteral("");
    GUARD_END_VOID
}

void MergeEditWndCtr::adoptLoadedDocument(int side, QTextDocument *doc, qint64 gutterLines,
                                          const FoldMap *folds)
{
    if (!doc)
        return;
    MyEditTextView *view = textView(side);
    const qint64 firstLine = view->firstVisibleLine();
    const qint64 firstRow = view->firstVisibleRowInLine();
    mLoading = true;
    view->adoptDocument(doc, gutterLines, folds);
    mLoading = false;
    if (firstLine > 0 || firstRow > 0)
        view->scrollToLine(firstLine, firstRow);
    if (!mCompare->isOutOfDate())
        view->setMergeBlocks(&mergeBlocks());
    forgetUndoHistory(side);
    side == 1 ? mTextWasEdited1 = false : mTextWasEdited2 = false;
}

void MergeEditWndCtr::setListedFile(int side, quint64 device, quint64 inode)
{
    if (side == 1 || side == 2)
        mListed[side - 1] = {true, device, inode};
}

bool MergeEditWndCtr::readMetListedFile(int side, const TextFileInfo &read)
{
    ListedFile &listed = mListed[side - 1];
    if (!listed.known)
        return true;
    // Only the first read: later ones are the window's own, followed by its own checks.
    listed.known = false;
    return !read.identity.known ||
           (read.identity.file.device == listed.device && read.identity.file.inode == listed.inode);
}

void MergeEditWndCtr::sideRead(int side, LoadedPane &loaded)
{
    GUARD_BEGIN
    if (!readMetListedFile(side, loaded.info))
        failedSide(side,
                   L_("It is no longer the file the folder compare listed: something on its way "
                      "was replaced since. Refresh the folder compare."),
                   &loaded);
    SideState &st = state(side);
    st = SideState{};
    st.info = loaded.info;
    st.readOk = loaded.readOk;
    st.textConverted = loaded.textConverted;
    recordDiskState(side);
    if (!loaded.readOk)
        mLoadFailedFiles << file(side);
    if (loaded.info.hasNulChar)
        mLoadNulFiles << file(side);
    mLoadTimings.readNs = std::max(mLoadTimings.readNs, loaded.readNs);
    (side == 1 ? mLoadedText1 : mLoadedText2) = loaded.text;
    // Wrapping and colouring are settled before any whole document is laid out.
    applyLargeTextGuard();
    adoptLoadedDocument(side, TakePaneDocument(loaded.head),
                        loaded.complete ? 0 : loaded.lineCount);
    GUARD_END_VOID
    if (--mSidesReading == 0)
        DoCompare();
}

void MergeEditWndCtr::inOwnTurn(std::function<void()> step)
{
    mOwnTurnSteps.push_back(std::move(step));
    if (mOwnTurnSteps.size() == 1)
        QTimer::singleShot(0, this, &MergeEditWndCtr::runOwnTurnStep);
}

void MergeEditWndCtr::runOwnTurnStep()
{
    if (mOwnTurnSteps.empty())
        return;
    const std::function<void()> step = std::move(mOwnTurnSteps.front());
    mOwnTurnSteps.pop_front();
    // The next one is posted now, after this turn took its events, so a later turn runs it.
    if (!mOwnTurnSteps.empty())
        QTimer::singleShot(0, this, &MergeEditWndCtr::runOwnTurnStep);
    step();
}

void MergeEditWndCtr::sideBuilt(int side, QTextDocument *doc, const FoldMap *folds, qint64 buildNs)
{
    GUARD_BEGIN
    mLoadTimings.buildNs = std::max(mLoadTimings.buildNs, buildNs);
    adoptLoadedDocument(side, doc, 0, folds);
    GUARD_END_VOID
    if (--mSidesBuilding == 0)
        finishLoad();
}

QString MergeEditWndCtr::compareSourceText(int side) const
{
    const QString &loaded = side == 1 ? mLoadedText1 : mLoadedText2;
    return mLoadingFiles && !loaded.isNull() ? loaded : textView(side)->plainText();
}

void MergeEditWndCtr::finishLoad()
{
    GUARD_BEGIN
    mLoadingFiles = false;
    // From here on the panes hold the whole texts; the compare keeps its own reference.
    mLoadedText1.clear();
    mLoadedText2.clear();
    for (int side : {1, 2})
        textView(side)->setReadOnly(false);
    applyLargeTextGuard();
    setDocumentEdited(WasEdit());
    applyLanguage();
    updateStatusLabels();
    for (const QString &path : std::as_const(mLoadFailedFiles)) {
        const QString why = mLoadFailedWhy.value(path);
        ShowMessage(L_("Error"),
                    FillFormat(L_("Cannot read the file \"%@\"."), {LocalPath_Shown(path)}) +
                        (why.isEmpty() ? QString() : u'\n' + why));
    }
    warnAboutNulCharacters(mLoadNulFiles);
    if (mCompare->isOutOfDate() && !mCompare->isRunning()) {
        DoCompare(); // nothing was read, or the compare failed to start
    } else {
        if (mSelectFirstAfterLoad && !mCompare->isRunning())
            platform::performAfterDelay(
                this, kSelectDelay, [this] { selectBlock(mergeBlocks().empty() ? -1 : 0); },
                QStringLiteral("selectBlock"));
        mSelectFirstAfterLoad = mSelectFirstAfterLoad && mCompare->isRunning();
        updateStrips();
        updateResultLabel();
        UpdateButtonStatus();
    }
    if (!mShortcutHelpDone) {
        mShortcutHelpDone = true;
        // Once the first compare is on screen: the help waits for the user's answer.
        platform::performAfterDelay(
            this, 0.5,
            [this] {
                ShowShortcutKeysHelp({{QStringLiteral("Previous Difference"), ui().actionPrevious},
                                      {QStringLiteral("Next Difference"), ui().actionNext},
                                      {QStringLiteral("Left to Right"), ui().actionCopyToRight},
                                      {QStringLiteral("Right to Left"), ui().actionCopyToLeft},
                                      {QStringLiteral("All to Right"), ui().actionCopyAllToRight},
                                      {QStringLiteral("All to Left"), ui().actionCopyAllToLeft}});
            },
            QStringLiteral("shortcutKeysHelp"));
    }
    GUARD_END_VOID
}

void MergeEditWndCtr::applyLargeTextGuard()
{
    qint64 longest = 0;
    for (int side : {1, 2}) {
        const QString &loaded = side == 1 ? mLoadedText1 : mLoadedText2;
        longest = std::max<qint64>(longest, mLoadingFiles && !loaded.isNull()
                                                ? loaded.size()
                                                : textView(side)->document()->characterCount());
    }
    const bool large = longest > kLargeTextGuard;
    if (large == mLargeText)
        return;
    mLargeText = large;
    // Texts put into the panes from now on (reloads, blocks taken, pastes) fold their long lines.
    for (int side : {1, 2})
        textView(side)->setFoldLongLines(large);
    applyViewSettings();
}

bool MergeEditWndCtr::ReadSide(int side, platform::StringEncoding forcedEncoding,
                               QStringList *nulFiles)
{
    const QString path = file(side);
    // An untitled side keeps what was put into its pane: there is no file to read it from.
    if (path.isEmpty())
        return false;
    LoadedPane read =
        ReadPaneText(path, forcedEncoding, side == 1 ? mPreferEncoding1 : mPreferEncoding2);
    if (!readMetListedFile(side, read.info))
        read = LoadedPane{};
    SideState &st = state(side);
    st = SideState{};
    st.info = read.info;
    st.readOk = read.readOk;
    st.textConverted = read.textConverted;
    if (!read.readOk)
        ShowMessage(L_("Error"),
                    FillFormat(L_("Cannot read the file \"%@\"."), {LocalPath_Shown(path)}));
    recordDiskState(side);
    if (read.info.hasNulChar && nulFiles)
        *nulFiles << path;
    loadPane(side, read.text);
    side == 1 ? mTextWasEdited1 = false : mTextWasEdited2 = false;
    return st.readOk;
}

void MergeEditWndCtr::loadPane(int side, const QString &text)
{
    cancelCompare();
    mCompare->markOutOfDate();
    mLoading = true;
    textView(side)->loadText(text);
    mLoading = false;
    forgetUndoHistory(side);
}

void MergeEditWndCtr::ReadFromFiles(platform::StringEncoding forcedEncoding)
{
    ReadFromFiles(forcedEncoding, forcedEncoding);
}

void MergeEditWndCtr::ReadFromFiles(platform::StringEncoding encoding1,
                                    platform::StringEncoding encoding2)
{
    QStringList nulFiles;
    ReadSide(1, encoding1, &nulFiles);
    ReadSide(2, encoding2, &nulFiles);
    setDocumentEdited(WasEdit());
    applyLanguage();
    updateStatusLabels();
    warnAboutNulCharacters(nulFiles);
    DoCompare();
}

void MergeEditWndCtr::warnAboutNulCharacters(const QStringList &files)
{
    if (files.isEmpty())
        return;
    QString names;
    for (const QString &file : files)
        names += u'\n' + LocalPath_Shown(file);
    ShowMessage(L_("Warning"),
                L_("The file contains NUL characters (0x00). They are shown as spaces, and saving "
                   "the file writes spaces in their place.") +
                    u'\n' + names);
}

void MergeEditWndCtr::recordDiskState(int side)
{
    // The reader records what the path led to as it read; a reader that did not gets what it
    // leads to now.
    SideState &st = state(side);
    if (!st.info.identity.known && !file(side).isEmpty())
        st.info.identity = IdentityNow(file(side), FileIdentity());
}

bool MergeEditWndCtr::diskChanged(int side) const
{
    const QString &path = side == 1 ? mFile1 : mFile2;
    const FileIdentity &read = (side == 1 ? mSide1 : mSide2).info.identity;
    if (path.isEmpty() || !read.exists)
        return false;
    // Another file, a link swapped in or re-pointed, new content or status: all differ.
    const FileIdentity now = IdentityNow(path, read);
    if (!now.exists)
        return false; // a vanished file keeps its text; saving writes it again
    return now != read;
}

void MergeEditWndCtr::windowWillBeKey()
{
    GUARD_BEGIN
    if (mIsClosing || mCheckingDisk || mLoadingFiles || !isWindowLoaded())
        return;
    mCheckingDisk = true;
    bool reloaded = false;
    QStringList nulFiles;
    for (int side : {1, 2}) {
        if (!diskChanged(side))
            continue;
        if (mTextWasEdited(side)) {
            // Once declined, the same change is not asked about again: the window becomes key
            // again as soon as the alert closes.
            SideState &st = state(side);
            const FileIdentity now = IdentityNow(file(side), st.info.identity);
            if (now == st.declined)
                continue;
            const bool reload = AskBeforeUndoable(
                L_("This document was changed in another application.{++}Reload content{++}?"),
                L_("You’ll lose your changes if you reload the document.") + QStringLiteral("\n") +
                    LocalPath_Shown(file(side)),
                L_("Reload"));
            if (!reload) {
                st.declined = now;
                continue;
            }
        }
        ReadSide(side, state(side).info.encoding, &nulFiles);
        reloaded = true;
    }
    if (reloaded) {
        setDocumentEdited(WasEdit());
        updateStatusLabels();
        warnAboutNulCharacters(nulFiles);
        DoCompare();
    }
    mCheckingDisk = false;
    UpdateButtonStatus();
    GUARD_END_VOID
}

void MergeEditWndCtr::setCompareTextToView1(const QString &text)
{
    setCompareTextToView(1, text);
}

void MergeEditWndCtr::setCompareTextToView2(const QString &text)
{
    setCompareTextToView(2, text);
}

void MergeEditWndCtr::setCompareTextToView(int side, const QString &text)
{
    GUARD_BEGIN
    if (!window())
        return;
    QString paneText = text.isNull() ? QStringLiteral("") : text;
    ToPaneLineEnds(paneText);
    // The pane no longer shows its file: compare what it shows.
    state(side).textConverted = true;
    loadPane(side, paneText);
    GUARD_END_VOID
}

bool MergeEditWndCtr::Menu_Reload()
{
    GUARD_BEGIN
    if (mIsClosing || mLoadingFiles || !isWindowLoaded() || (mFile1.isEmpty() && mFile2.isEmpty()))
        return false;
    if (WasEdit()) {
        if (!AskBeforeUndoable(L_("Warning"),
                               L_("You’ll lose your changes if you reload the document."),
                               L_("Reload")))
            return false;
    }
    // Each side again in the encoding it is shown in.
    ReadFromFiles(mSide1.info.encoding, mSide2.info.encoding);
    return true;
    GUARD_END(false)
}
