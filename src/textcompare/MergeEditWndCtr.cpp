#include "textcompare/MergeEditWndCtr.h"

#include "compare/InlineCompare.h"
#include "controls/PelkoNSTextView.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/Panels.h"
#include "platform/UserDefaults.h"
#include "services/Alerts.h"
#include "services/AppSetting.h"
#include "services/Fonts.h"
#include "themes/LanguageList.h"
#include "services/Localization.h"
#include "services/WindowFrame.h"
#include "textcompare/CenterLinkView.h"
#include "textcompare/DiffResultView.h"
#include "textcompare/MyEditTextView.h"
#include "textcompare/PaneScrollSync.h"
#include "textcompare/ShortcutKeysHelp.h"
#include "textcompare/TextSideWriter.h"
#include "themes/MyLanguageFileTypeDlg.h"
#include "themes/MyLanguageInfo.h"
#include "themes/ThemeColor.h"
#include "ui_MergeEditWndCtr.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QThread>
#include <QToolButton>
#include <QtConcurrent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QFontDatabase>
#include <QFontInfo>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTextBlock>

namespace {

constexpr double kSelectDelay = 0.1;
constexpr double kRecompareAfterEditDelay = 0.6;
const QString kSplitPosKey = QStringLiteral("saveSplitViewPos");
const QString kNoLanguage = QStringLiteral("(none)");

// GNU diff works on bytes: its options (ignore case, white space) are right on a file's own bytes
// only when a byte that looks like an ASCII character is that character. Multi-byte encodings
// such as Shift_JIS and Big5 use ASCII letters as trail bytes, and UTF-16 and UTF-32 every byte.
bool asciiBytesAreAsciiCharacters(platform::StringEncoding e)
{
    using namespace platform::Encoding;
    return e == UTF8 || e == ASCII || platform::TextEncoding::isSingleByte(e);
}

QString permissionText(int mode)
{
    if (mode < 0)
        return {};
    static const char *letters = "rwxrwxrwx";
    QString s;
    for (int i = 0; i < 9; ++i)
        s += (mode & (0400 >> i)) ? QLatin1Char(letters[i]) : QLatin1Char('-');
    return s;
}

QString lineEndName(END_LINE_TYPE e)
{
    switch (e) {
    case END_LINE_CR:
        return QStringLiteral("CR");
    case END_LINE_CRLF:
        return QStringLiteral("CRLF");
    default:
        return QStringLiteral("LF");
    }
}

const QString kOptionKeys[5] = {
    QStringLiteral("MergeEditWndCtr.mCheck_IgnoreCase"),
    QStringLiteral("MergeEditWndCtr.mCheck_IgnoreTabExpansion"),
    QStringLiteral("MergeEditWndCtr.mCheck_IgnoreSpaceChange"),
    QStringLiteral("MergeEditWndCtr.mCheck_IgnoreAllSpace"),
    QStringLiteral("MergeEditWndCtr.mCheck_IgnoreBlankLines"),
};

} // namespace

MergeEditWndCtr::MergeEditWndCtr(const QString &windowNibName, QObject *parent)
    : MergeWindow(windowNibName, parent), mUi(std::make_unique<Ui::MergeEditWndCtr>())
{
    OpenCompareWindowList_Add(this);
    loadOptions();
    mFontObserver = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("Merge_UpdateFont"), nullptr, [this](const platform::Notification &) {
            if (mIsClosing || !isWindowLoaded())
                return;
            applyViewSettings();
            // Theme colours are looked up when runs are painted: paint them again.
            for (int side : {1, 2})
                textView(side)->themeChanged();
            RefreshCompare();
        });
}

MergeEditWndCtr::~MergeEditWndCtr()
{
    mIsClosing = true;
    OpenCompareWindowList_Remove(this);
}

QWidget *MergeEditWndCtr::makeWindow()
{
    auto *w = setupWindow<QMainWindow>(*mUi);
    return w;
}

MyEditTextView *MergeEditWndCtr::textView(int side) const
{
    if (!mUi->mTextView1)
        return nullptr;
    return side == 1 ? mUi->mTextView1 : mUi->mTextView2;
}

void MergeEditWndCtr::windowDidLoad()
{
    GUARD_BEGIN
    QWidget *w = window();
    w->resize(1100, 720);
    mUi->mTextView1->setSide(1);
    mUi->mTextView2->setSide(2);
    mUi->mCenterLinkView->setTextViews(mUi->mTextView1, mUi->mTextView2);
    mScrollSync = new PaneScrollSync(mUi->mTextView1, mUi->mTextView2, this);
    mUi->mSplitView->setStretchFactor(0, 1);
    mUi->mSplitView->setStretchFactor(1, 0);
    mUi->mSplitView->setStretchFactor(2, 1);

    mToolTipItem = new QLabel(mUi->mMainView);
    mToolTipItem->setObjectName(QStringLiteral("windowToolTipItem"));
    mToolTipItem->setAutoFillBackground(true);
    mToolTipItem->setFrameShape(QFrame::Box);
    mToolTipItem->hide();

    Localize_LoadWindowPos_SetBackground(w, this, platform::Color(), true);
    // The divider: the share of the left pane, kept for every window. It is applied whenever
    // the split view changes size: before the window is laid out its width means nothing.
    const double share = platform::UserDefaults::standard().doubleForKey(kSplitPosKey);
    if (share > 0.05 && share < 0.95)
        mSplitShare = share;
    mUi->mSplitView->installEventFilter(this);
    ui().actionUndo->setShortcuts(QKeySequence::Undo);
    ui().actionRedo->setShortcuts(QKeySequence::Redo);
    ui().actionCut->setShortcuts(QKeySequence::Cut);
    ui().actionCopy->setShortcuts(QKeySequence::Copy);
    ui().actionPaste->setShortcuts(QKeySequence::Paste);
    ui().actionSelectAll->setShortcuts(QKeySequence::SelectAll);
    for (int side : {1, 2}) {
        textView(side)->installEventFilter(this);
        textView(side)->setUndoHandler([this](bool redo) { undoOrRedo(redo); },
                                       [this](bool redo) { return redo ? canRedo() : canUndo(); });
    }
    // The buttons name the keys of their menu commands.
    const std::pair<QAbstractButton *, QAction *> buttonKeys[] = {
        {ui().mButton_Previous, ui().actionPrevious},
        {ui().mButton_Next, ui().actionNext},
        {ui().mButton_CopyToRight, ui().actionCopyToRight},
        {ui().mButton_CopyToLeft, ui().actionCopyToLeft},
        {ui().mButton_CopyAllToRight, ui().actionCopyAllToRight},
        {ui().mButton_CopyAllToLeft, ui().actionCopyAllToLeft},
        {ui().mButton_Compare, ui().actionCompare},
    };
    setButtonIcons();
    for (const auto &[button, action] : buttonKeys) {
        const QString tip = button->toolTip().isEmpty() ? action->text() : button->toolTip();
        button->setToolTip(tip + QStringLiteral(" (") +
                           action->shortcut().toString(QKeySequence::NativeText) +
                           QStringLiteral(")"));
    }
    syncOptionControls();
    connectControls();
    fillMenus();
    applyViewSettings();
    w->installEventFilter(this); // after the controller's own filter: a refused close stops here
    UpdateTitle();
    UpdateButtonStatus();
    GUARD_END_VOID
}

void MergeEditWndCtr::setButtonIcons()
{
    // Icons of the desktop's icon theme, by their freedesktop names; Qt's own where the theme
    // has none.
    struct Icon
    {
        QAbstractButton *button;
        QAction *action;
        const char *name;
        QStyle::StandardPixmap fallback;
    };
    auto &ui = *mUi;
    const Icon icons[] = {
        {ui.mButton_Previous, ui.actionPrevious, "go-up", QStyle::SP_ArrowUp},
        {ui.mButton_Next, ui.actionNext, "go-down", QStyle::SP_ArrowDown},
        {ui.mButton_CopyToRight, ui.actionCopyToRight, "go-next", QStyle::SP_ArrowRight},
        {ui.mButton_CopyToLeft, ui.actionCopyToLeft, "go-previous", QStyle::SP_ArrowLeft},
        {ui.mButton_CopyAllToRight, ui.actionCopyAllToRight, "go-last",
         QStyle::SP_MediaSkipForward},
        {ui.mButton_CopyAllToLeft, ui.actionCopyAllToLeft, "go-first",
         QStyle::SP_MediaSkipBackward},
        {ui.mButton_Compare, ui.actionCompare, "view-refresh", QStyle::SP_BrowserReload},
        {ui.mButton_Save1, ui.actionSave1, "document-save", QStyle::SP_DialogSaveButton},
        {ui.mButton_Save2, ui.actionSave2, "document-save", QStyle::SP_DialogSaveButton},
        {nullptr, ui.actionSave, "document-save", QStyle::SP_DialogSaveButton},
    };
    QStyle *style = window()->style();
    // The text goes under the icon where the style asks for that, else beside it; it is never
    // left out, as the arrows alone do not tell one way of taking from the other.
    const auto asked = Qt::ToolButtonStyle(style->styleHint(QStyle::SH_ToolButtonStyle));
    const Qt::ToolButtonStyle textPlace =
        asked == Qt::ToolButtonTextUnderIcon ? asked : Qt::ToolButtonTextBesideIcon;
    for (const Icon &i : icons) {
        if (auto *tool = qobject_cast<QToolButton *>(i.button)) {
            tool->setToolButtonStyle(textPlace);
            tool->setAutoRaise(true);
        }
        const QIcon icon =
            QIcon::fromTheme(QString::fromLatin1(i.name), style->standardIcon(i.fallback));
        if (i.button)
            i.button->setIcon(icon);
        i.action->setIcon(icon);
    }
}

void MergeEditWndCtr::connectControls()
{
    auto &ui = *mUi;
    connect(ui.mButton_Previous, &QToolButton::clicked, this, [this] { Merge_Previous(); });
    connect(ui.mButton_Next, &QToolButton::clicked, this, [this] { Merge_Next(); });
    connect(ui.mButton_CopyToRight, &QToolButton::clicked, this, [this] { Merge_CopyBlock(1); });
    connect(ui.mButton_CopyToLeft, &QToolButton::clicked, this, [this] { Merge_CopyBlock(2); });
    connect(ui.mButton_CopyAllToRight, &QToolButton::clicked, this, [this] { Merge_CopyAll(1); });
    connect(ui.mButton_CopyAllToLeft, &QToolButton::clicked, this, [this] { Merge_CopyAll(2); });
    connect(ui.mButton_Compare, &QToolButton::clicked, this, [this] { RefreshCompare(); });
    connect(ui.mButton_Save1, &QPushButton::clicked, this, [this] { SaveSide(1); });
    connect(ui.mButton_Save2, &QPushButton::clicked, this, [this] { SaveSide(2); });
    connect(ui.actionPrevious, &QAction::triggered, this, [this] { Merge_Previous(); });
    connect(ui.actionNext, &QAction::triggered, this, [this] { Merge_Next(); });
    connect(ui.actionCopyToRight, &QAction::triggered, this, [this] { Merge_CopyBlock(1); });
    connect(ui.actionCopyToLeft, &QAction::triggered, this, [this] { Merge_CopyBlock(2); });
    connect(ui.actionCompare, &QAction::triggered, this, [this] { RefreshCompare(); });
    connect(ui.actionCopyAllToRight, &QAction::triggered, this, [this] { Merge_CopyAll(1); });
    connect(ui.actionCopyAllToLeft, &QAction::triggered, this, [this] { Merge_CopyAll(2); });
    connect(ui.actionSave, &QAction::triggered, this, [this] { Menu_Save(); });
    connect(ui.actionSave1, &QAction::triggered, this, [this] { SaveSide(1); });
    connect(ui.actionSave2, &QAction::triggered, this, [this] { SaveSide(2); });
    connect(ui.actionReload, &QAction::triggered, this, [this] { Menu_Reload(); });
    connect(ui.actionClose, &QAction::triggered, this, [this] { close(); });
    connect(ui.actionUndo, &QAction::triggered, this, [this] { Menu_Undo(); });
    connect(ui.actionRedo, &QAction::triggered, this, [this] { Menu_Redo(); });
    connect(ui.actionCut, &QAction::triggered, this,
            [this] { textView(activeSide())->cutSelection(); });
    connect(ui.actionCopy, &QAction::triggered, this, [this] { textView(activeSide())->copy(); });
    connect(ui.actionPaste, &QAction::triggered, this, [this] { textView(activeSide())->paste(); });
    connect(ui.actionSelectAll, &QAction::triggered, this, [this] {
        MyEditTextView *view = textView(activeSide());
        view->setFocus();
        view->selectAll();
    });
    const auto optionsChanged = [this](const OptionControl &changed, bool on) {
        LineCompareOptions o = mOptions;
        o.*(changed.field) = on;
        setCompareOptions(o);
    };
    for (const OptionControl &c : optionControls()) {
        connect(c.box, &QCheckBox::toggled, this,
                [c, optionsChanged](bool on) { optionsChanged(c, on); });
        connect(c.action, &QAction::toggled, this,
                [c, optionsChanged](bool on) { optionsChanged(c, on); });
    }
    for (int side : {1, 2}) {
        MyEditTextView *view = textView(side);
        connectDocumentSignals(side);
        connect(view, &MyEditTextView::documentReplaced, this,
                [this, side] { connectDocumentSignals(side); });
        connect(view, &MyEditTextView::viewScrolled, mScrollSync,
                [this, side] { mScrollSync->follow(side); });
        connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, mScrollSync,
                [this, side] { mScrollSync->followSideways(side); });
    }
    connect(mScrollSync, &PaneScrollSync::panesMoved, this, [this] {
        mUi->mDiffResultView->setVisibleLines(mUi->mTextView1->firstVisibleLine(),
                                              mUi->mTextView1->lastVisibleLine());
        mUi->mCenterLinkView->update();
    });
    connect(ui.mDiffResultView, &DiffResultView::blockClicked, this,
            [this](int index) { selectBlock(index); });
    connect(ui.mDiffResultView, &DiffResultView::lineClicked, this, [this](qint64 line) {
        mUi->mTextView1->scrollToLine(line);
        mScrollSync->follow(1);
    });
    connect(ui.mSplitView, &QSplitter::splitterMoved, this, [this] {
        const QList<int> sizes = mUi->mSplitView->sizes();
        if (sizes.size() == 3 && sizes[0] + sizes[2] > 0)
            mSplitShare = double(sizes[0]) / (sizes[0] + sizes[2]);
        mUi->mCenterLinkView->update();
    });
}

void MergeEditWndCtr::connectDocumentSignals(int side)
{
    QTextDocument *doc = textView(side)->document();
    connect(doc, &QTextDocument::contentsChange, this,
            [this, side](int position, int removed, int added) {
                if (mUndoing)
                    mUndoChangePosition = position;
                if (!mLoading && (removed || added))
                    onTextEdited(side);
            });
    connect(doc, &QTextDocument::undoCommandAdded, this, [this, side] { undoCommandAdded(side); });
    connect(doc, &QTextDocument::modificationChanged, this, [this, side] {
        if (!mLoading)
            updateEditedFromDocument(side);
    });
}

void MergeEditWndCtr::applySplitShare()
{
    QSplitter *split = mUi->mSplitView;
    const QList<int> sizes = split->sizes();
    if (sizes.size() != 3)
        return;
    const int panes = split->contentsRect().width() - 2 * split->handleWidth() - sizes[1];
    if (panes <= 0)
        return;
    const int left = int(std::lround(panes * mSplitShare));
    split->setSizes({left, sizes[1], panes - left});
}

void MergeEditWndCtr::fillMenus()
{
    QMenu *encodings = mUi->mMenuReloadWithEncoding;
    encodings->clear();
    for (const QVariantList &entry : GetAllAvailableStringEncodings_Array_Name_Code()) {
        if (entry.size() < 2)
            continue;
        QAction *a = encodings->addAction(entry[0].toString());
        connect(a, &QAction::triggered, this, [this, a] { Menu_ReloadWithEncoding(a); });
    }
    // The file-type dialog, once, after the language list.
    const QString fileTypesName = QStringLiteral("actionAssignFileTypeToLanguage");
    bool hasFileTypes = false;
    for (const QAction *a : mUi->mMenuText->actions())
        hasFileTypes = hasFileTypes || a->objectName() == fileTypesName;
    if (!hasFileTypes) {
        QAction *fileTypes =
            mUi->mMenuText->addAction(L_(QStringLiteral("File Types and Languages{++}...")));
        fileTypes->setObjectName(fileTypesName);
        connect(fileTypes, &QAction::triggered, this, [] { MyLanguageFileTypeDlg::runModal(); });
    }
    QMenu *languages = mUi->mMenuHighlightWithLanguage;
    languages->clear();
    QAction *none = languages->addAction(kNoLanguage);
    connect(none, &QAction::triggered, this,
            [this, none] { Menu_Change_HightLightWithLanguage(none); });
    for (const auto &info : gAppLanguageInfoList) {
        if (!info)
            continue;
        QAction *a = languages->addAction(info->nameShow());
        connect(a, &QAction::triggered, this, [this, a] { Menu_Change_HightLightWithLanguage(a); });
    }
}

// Reading ----------------------------------------------------------------------------------------

void MergeEditWndCtr::showWindow()
{
    GUARD_BEGIN
    if (!window())
        return;
    if (mShouldCascadeWindows && !window()->isVisible())
        cascadeFromOpenWindows();
    MergeWindow::showWindow();
    startLoad();
    GUARD_END_VOID
}

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
    mLoadTimings = {};
    cancelCompare();
    mBlocksOutOfDate = true;
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
        bigFile =
            bigFile || (!file(side).isEmpty() && QFileInfo(file(side)).size() > kLargeTextGuard);
    for (int side : {1, 2}) {
        if (file(side).isEmpty())
            continue;
        ++mSidesReading;
        ++mSidesBuilding;
        auto *watcher = new QFutureWatcher<LoadedPane>(this);
        connect(watcher, &QFutureWatcher<LoadedPane>::finished, this,
                [this, watcher, side, cancelled, mainThread, bigFile] {
                    LoadedPane loaded = watcher->result();
                    watcher->deleteLater();
                    if (*cancelled || mIsClosing)
                        return;
                    sideRead(side, loaded);
                    if (*cancelled || mIsClosing)
                        return;
                    if (loaded.complete) { // the head is the whole text
                        sideBuilt(side, nullptr, 0);
                        return;
                    }
                    auto *built = new QFutureWatcher<std::pair<PaneDocument, qint64>>(this);
                    connect(built, &QFutureWatcher<std::pair<PaneDocument, qint64>>::finished, this,
                            [this, built, side, cancelled] {
                                const auto [doc, ns] = built->result();
                                built->deleteLater();
                                if (*cancelled || mIsClosing)
                                    return;
                                sideBuilt(side, TakePaneDocument(doc), ns);
                            });
                    // Own pool: the line compare in the shared one never waits behind builds.
                    const bool fold = mLargeText || bigFile;
                    built->setFuture(QtConcurrent::run(
                        PaneBuildPool(), [text = loaded.text, mainThread, cancelled, fold] {
                            QElapsedTimer timer;
                            timer.start();
                            PaneDocument doc =
                                BuildWholePaneDocument(text, mainThread, cancelled, fold);
                            return std::make_pair(doc, timer.nsecsElapsed());
                        }));
                });
        watcher->setFuture(QtConcurrent::run(ReadPane, file(side), platform::StringEncoding(0),
                                             side == 1 ? mPreferEncoding1 : mPreferEncoding2,
                                             mainThread, cancelled, bigFile));
    }
    if (mSidesReading == 0)
        finishLoad();
}

void MergeEditWndCtr::adoptLoadedDocument(int side, QTextDocument *doc, qint64 gutterLines)
{
    if (!doc)
        return;
    MyEditTextView *view = textView(side);
    const qint64 firstLine = view->firstVisibleLine();
    const qint64 firstRow = view->firstVisibleRowInLine();
    mLoading = true;
    view->adoptDocument(doc, gutterLines);
    mLoading = false;
    if (firstLine > 0 || firstRow > 0)
        view->scrollToLine(firstLine, firstRow);
    if (!mBlocksOutOfDate)
        view->setMergeBlocks(&mBlocks);
    forgetUndoHistory(side);
    side == 1 ? mTextWasEdited1 = false : mTextWasEdited2 = false;
}

void MergeEditWndCtr::sideRead(int side, LoadedPane &loaded)
{
    GUARD_BEGIN
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

void MergeEditWndCtr::sideBuilt(int side, QTextDocument *doc, qint64 buildNs)
{
    GUARD_BEGIN
    mLoadTimings.buildNs = std::max(mLoadTimings.buildNs, buildNs);
    adoptLoadedDocument(side, doc, 0);
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
    for (const QString &path : std::as_const(mLoadFailedFiles))
        ShowMessage(L_("Error"), FillFormat(L_("Cannot read the file \"%@\"."), {path}));
    warnAboutNulCharacters(mLoadNulFiles);
    if (mBlocksOutOfDate && !mCompareJob) {
        DoCompare(); // nothing was read, or the compare failed to start
    } else {
        if (mSelectFirstAfterLoad && !mCompareJob)
            platform::performAfterDelay(
                this, kSelectDelay, [this] { selectBlock(mBlocks.empty() ? -1 : 0); },
                QStringLiteral("selectBlock"));
        mSelectFirstAfterLoad = mSelectFirstAfterLoad && mCompareJob;
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

void MergeEditWndCtr::cascadeFromOpenWindows()
{
    for (auto it = gOpenCompareWindowList.crbegin(); it != gOpenCompareWindowList.crend(); ++it) {
        MergeWindow *other = it->data();
        if (!other || other == this || !other->isWindowLoaded() || !other->window()->isVisible())
            continue;
        window()->move(other->window()->pos() + QPoint(22, 22));
        return;
    }
}

bool MergeEditWndCtr::ReadSide(int side, platform::StringEncoding forcedEncoding,
                               QStringList *nulFiles)
{
    const QString path = file(side);
    // An untitled side keeps what was put into its pane: there is no file to read it from.
    if (path.isEmpty())
        return false;
    const LoadedPane read =
        ReadPaneText(path, forcedEncoding, side == 1 ? mPreferEncoding1 : mPreferEncoding2);
    SideState &st = state(side);
    st = SideState{};
    st.info = read.info;
    st.readOk = read.readOk;
    st.textConverted = read.textConverted;
    if (!read.readOk)
        ShowMessage(L_("Error"), FillFormat(L_("Cannot read the file \"%@\"."), {path}));
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
    mBlocksOutOfDate = true;
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
    ShowMessage(L_("Warning"),
                L_("The file contains NUL characters (0x00). They are shown as spaces, and saving "
                   "the file writes spaces in their place.") +
                    QStringLiteral("\n\n") + files.join(u'\n'));
}

void MergeEditWndCtr::recordDiskState(int side)
{
    SideState &st = state(side);
    const QFileInfo fi(file(side));
    st.diskSize = fi.exists() ? fi.size() : -1;
    st.diskModified = fi.exists() ? fi.lastModified() : QDateTime();
}

bool MergeEditWndCtr::diskChanged(int side) const
{
    const QString &path = side == 1 ? mFile1 : mFile2;
    const SideState &st = side == 1 ? mSide1 : mSide2;
    if (path.isEmpty() || st.diskSize < 0)
        return false;
    const QFileInfo fi(path);
    if (!fi.exists())
        return false; // a vanished file keeps its text; saving writes it again
    return fi.size() != st.diskSize || fi.lastModified() != st.diskModified;
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
            const QFileInfo fi(file(side));
            SideState &st = state(side);
            if (fi.size() == st.declinedSize && fi.lastModified() == st.declinedModified)
                continue;
            const int answer = ShowMessage2(
                L_("This document was changed in another application.{++}Reload content{++}?"),
                L_("You’ll lose your changes if you reload the document.") + QStringLiteral("\n") +
                    file(side),
                L_("Reload"), L_("Cancel"));
            if (answer != 1000) {
                st.declinedSize = fi.size();
                st.declinedModified = fi.lastModified();
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

QString MergeEditWndCtr::GetTextInView1() const
{
    return mUi->mTextView1 ? mUi->mTextView1->plainText() : QString();
}

QString MergeEditWndCtr::GetTextInView2() const
{
    return mUi->mTextView2 ? mUi->mTextView2->plainText() : QString();
}

// Compare ----------------------------------------------------------------------------------------

bool MergeEditWndCtr::canCompareFilesThemselves() const
{
    if (mFile1.isEmpty() || mFile2.isEmpty() || WasEdit())
        return false;
    for (const SideState *st : {&mSide1, &mSide2}) {
        if (!st->readOk || st->textConverted || st->info.hasBOM || st->info.hasNulChar ||
            !asciiBytesAreAsciiCharacters(st->info.encoding))
            return false;
    }
    return mSide1.info.encoding == mSide2.info.encoding && !diskChanged(1) && !diskChanged(2);
}

void MergeEditWndCtr::RefreshCompare()
{
    GUARD_BEGIN
    if (!window() || mIsClosing)
        return;
    DoCompare();
    GUARD_END_VOID
}

void MergeEditWndCtr::DoCompare(bool selectFirstBlock, std::function<void()> then)
{
    platform::cancelPerform(this, QStringLiteral("recompareAfterEdit"));
    platform::cancelPerform(this, QStringLiteral("selectBlock"));
    cancelCompare();
    // While files are read, the compare waits for both texts; it starts as soon as they are.
    if (mLoadingFiles && mSidesReading > 0) {
        mBlocksOutOfDate = true;
        return;
    }
    const QString text1 = compareSourceText(1);
    const QString text2 = compareSourceText(2);
    const bool usedFiles = canCompareFilesThemselves();
    mCompareTimer.start();
    mCompareJob = std::make_unique<LineCompareJob>();
    connect(mCompareJob.get(), &LineCompareJob::finished, this,
            [this, usedFiles, selectFirstBlock, then](const LineCompareResult &result) {
                compareFinished(result, usedFiles, selectFirstBlock, then);
            });
    if (usedFiles)
        mCompareJob->startFiles(mFile1, mFile2, text1, text2, mOptions);
    else
        mCompareJob->startTexts(text1, text2, mOptions);
    if (mCompareJob) { // a job that failed at once has already finished
        updateResultLabel();
        UpdateButtonStatus();
    }
}

void MergeEditWndCtr::cancelCompare()
{
    if (!mCompareJob)
        return;
    // Deleting the job kills its diff; its result never arrives.
    mCompareJob->disconnect(this);
    mCompareJob.reset();
}

void MergeEditWndCtr::compareFinished(const LineCompareResult &result, bool usedFiles,
                                      bool selectFirstBlock, const std::function<void()> &then)
{
    GUARD_BEGIN
    // Delete the job once its signal has returned.
    if (mCompareJob) {
        mCompareJob->disconnect(this);
        mCompareJob.release()->deleteLater();
    }
    if (mIsClosing)
        return;
    mLoadTimings.compareNs = mCompareTimer.nsecsElapsed();
    mCompareText1 = result.text1;
    mCompareText2 = result.text2;
    mLineTable1 = result.table1;
    mLineTable2 = result.table2;
    mBlocksOutOfDate = false;
    mLastCompareUsedFiles = usedFiles;
    mLastCompareFailed = !result.blocks;
    mLastCompareError = result.blocks ? QString() : result.error;
    mBlocks = result.blocks ? *result.blocks : MergeBlockList{};
    mCurrentBlock = -1;
    mNavigationAnchor = 0;
    updateStrips();
    updateResultLabel();
    UpdateButtonStatus();
    // While the panes show only the heads of the texts, the first block is selected once they
    // hold them whole.
    if (selectFirstBlock && mLoadingFiles)
        mSelectFirstAfterLoad = true;
    else if (selectFirstBlock)
        platform::performAfterDelay(
            this, kSelectDelay, [this] { selectBlock(mBlocks.empty() ? -1 : 0); },
            QStringLiteral("selectBlock"));
    if (then)
        then();
    emit compareApplied();
    GUARD_END_VOID
}

void MergeEditWndCtr::updateStrips()
{
    auto &ui = *mUi;
    ui.mTextView1->setMergeBlocks(&mBlocks);
    ui.mTextView2->setMergeBlocks(&mBlocks);
    mScrollSync->setBlocks(&mBlocks);
    ui.mDiffResultView->setMergeBlocks(&mBlocks, qint64(mLineTable1.size()),
                                       qint64(mLineTable2.size()));
    ui.mDiffResultView->setVisibleLines(ui.mTextView1->firstVisibleLine(),
                                        ui.mTextView1->lastVisibleLine());
    ui.mCenterLinkView->update();
}

void MergeEditWndCtr::selectBlock(int index)
{
    GUARD_BEGIN
    if (mIsClosing || !isWindowLoaded())
        return;
    platform::cancelPerform(this, QStringLiteral("selectBlock"));
    if (index < 0 || index >= int(mBlocks.size()))
        index = -1;
    mCurrentBlock = index;
    auto &ui = *mUi;
    ui.mTextView1->setCurrentBlock(index);
    ui.mTextView2->setCurrentBlock(index);
    ui.mDiffResultView->setCurrentBlock(index);
    if (index >= 0) {
        mNavigationAnchor = index;
        const MERGE_BLOCK &b = mBlocks[size_t(index)];
        const Range r1 =
            RangeOfLines(mLineTable1, b.startLine[1], b.lineCount[1], mCompareText1.size());
        const Range r2 =
            RangeOfLines(mLineTable2, b.startLine[2], b.lineCount[2], mCompareText2.size());
        const InlineDiff d =
            CompareCharacters(QStringView(mCompareText1).mid(r1.location, r1.length),
                              QStringView(mCompareText2).mid(r2.location, r2.length));
        auto shift = [](std::vector<Range> runs, qint64 by) {
            for (Range &r : runs)
                r.location += by;
            return runs;
        };
        ui.mTextView1->setChangedCharacters(shift(d.changed1, r1.location));
        ui.mTextView2->setChangedCharacters(shift(d.changed2, r2.location));
        // In a folded line, the row of the first change.
        const auto changeAt = [&](const std::vector<Range> &changed, const Range &lines) {
            return changed.empty() ? qint64(-1) : lines.location + changed.front().location;
        };
        mScrollSync->revealBlock(b, changeAt(d.changed1, r1), changeAt(d.changed2, r2));
    } else {
        ui.mTextView1->setChangedCharacters({});
        ui.mTextView2->setChangedCharacters({});
    }
    ui.mCenterLinkView->update();
    updateResultLabel();
    UpdateButtonStatus();
    GUARD_END_VOID
}

void MergeEditWndCtr::updateResultLabel()
{
    QString text;
    const QString count = QString::number(mBlocks.size());
    if (mLoadingFiles)
        text = L_("Loading…");
    else if (mCompareJob)
        text = L_("Comparing…");
    else if (mLastCompareFailed)
        text = L_("Compare failed") + QStringLiteral(": ") + mLastCompareError;
    else if (mBlocks.empty())
        text = L_("No difference");
    else if (mCurrentBlock >= 0 && mCurrentBlock < int(mBlocks.size()))
        text = FillFormat(L_("Difference %@ of %@"), {QString::number(mCurrentBlock + 1), count});
    else if (mBlocks.size() == 1)
        text = L_("1 difference");
    else
        text = FillFormat(L_("%@ differences"), {count});
    mUi->mResultLabel->setText(text);
}

void MergeEditWndCtr::Merge_Previous()
{
    if (mBlocks.empty() || mCompareJob || mBlocksOutOfDate)
        return;
    const int target = mCurrentBlock >= 0 ? mCurrentBlock - 1 : mNavigationAnchor - 1;
    if (target >= 0)
        selectBlock(target);
}

void MergeEditWndCtr::Merge_Next()
{
    if (mBlocks.empty() || mCompareJob || mBlocksOutOfDate)
        return;
    const int target = mCurrentBlock >= 0 ? mCurrentBlock + 1 : mNavigationAnchor;
    if (target < int(mBlocks.size()))
        selectBlock(target);
}

// Merging ----------------------------------------------------------------------------------------

bool MergeEditWndCtr::Merge_CopyBlock(int fromSide, int index)
{
    GUARD_BEGIN
    if (mIsClosing || !isWindowLoaded() || (fromSide != 1 && fromSide != 2))
        return false;
    if (index < 0)
        index = mCurrentBlock;
    if (index < 0 || index >= int(mBlocks.size()))
        return false;
    // Blocks that are being compared again, or that an edit has moved, are not where they are
    // shown: take nothing until the new blocks are there.
    if (mCompareJob || mBlocksOutOfDate) {
        if (!mCompareJob)
            RefreshCompare();
        return false;
    }
    const int toSide = 3 - fromSide;
    const MERGE_BLOCK b = mBlocks[size_t(index)];
    const QString &src = fromSide == 1 ? mCompareText1 : mCompareText2;
    const QString &dst = toSide == 1 ? mCompareText1 : mCompareText2;
    const LineTable &srcTable = fromSide == 1 ? mLineTable1 : mLineTable2;
    const LineTable &dstTable = toSide == 1 ? mLineTable1 : mLineTable2;
    const Range srcRange =
        RangeOfLines(srcTable, b.startLine[fromSide], b.lineCount[fromSide], src.size());
    const Range dstRange =
        RangeOfLines(dstTable, b.startLine[toSide], b.lineCount[toSide], dst.size());
    QString replacement = src.mid(srcRange.location, srcRange.length);
    const bool dstAtEnd = MaxRange(dstRange) >= dst.size();
    // Lines taken from the end of a text without a final line end still need one when more
    // lines follow them on the other side.
    if (!replacement.isEmpty() && !replacement.endsWith(u'\n') && !dstAtEnd)
        replacement += u'\n';
    // Lines appended after a last line without a line end start on a line of their own.
    if (!replacement.isEmpty() && b.lineCount[toSide] == 0 && dstRange.location >= dst.size() &&
        !dst.isEmpty() && !dst.endsWith(u'\n'))
        replacement.prepend(u'\n');

    // What is taken is shown first: the user sees both halves change.
    mScrollSync->revealBlock(b);
    textView(toSide)->replaceText(dstRange, replacement);
    afterMerge(index);
    return true;
    GUARD_END(false)
}

bool MergeEditWndCtr::Merge_CopyAll(int fromSide)
{
    GUARD_BEGIN
    if (mIsClosing || !isWindowLoaded() || (fromSide != 1 && fromSide != 2))
        return false;
    const QString text = textView(fromSide)->plainText();
    MyEditTextView *to = textView(3 - fromSide);
    if (to->plainText() == text)
        return false;
    to->replaceAllText(text);
    afterMerge(0);
    return true;
    GUARD_END(false)
}

void MergeEditWndCtr::afterMerge(int mergedIndex)
{
    DoCompare(false, [this, mergedIndex] {
        mNavigationAnchor = std::clamp(mergedIndex, 0, std::max(0, int(mBlocks.size())));
        if (gAppSetting.compare_autoMoveToNextDiffAfterMerge && !mBlocks.empty()) {
            // The merged block is gone: the next one now has its index.
            const int next = std::min(mergedIndex, int(mBlocks.size()) - 1);
            platform::performAfterDelay(
                this, kSelectDelay, [this, next] { selectBlock(next); },
                QStringLiteral("selectBlock"));
        }
    });
}

void MergeEditWndCtr::onTextEdited(int side)
{
    // A compare of the texts before this edit would show blocks that are no longer there.
    cancelCompare();
    mBlocksOutOfDate = true;
    updateEditedFromDocument(side);
    platform::performAfterDelay(
        this, kRecompareAfterEditDelay,
        [this, side] {
            if (!mIsClosing)
                recompareAfterEdit(side);
        },
        QStringLiteral("recompareAfterEdit"));
}

void MergeEditWndCtr::updateEditedFromDocument(int side)
{
    // The document knows when undo has brought it back to what was read or saved.
    const bool edited = textView(side)->document()->isModified();
    if (edited != mTextWasEdited(side)) {
        if (side == 1)
            setMTextWasEdited1(edited);
        else
            setMTextWasEdited2(edited);
    }
    setDocumentEdited(WasEdit());
}

void MergeEditWndCtr::recompareAfterEdit(int side, std::function<void()> then)
{
    // Typing goes on where it is: no block is selected and nothing scrolls; Next goes to the
    // first block at or after the insertion point.
    DoCompare(false, [this, side, then] {
        const qint64 line = textView(side)->cursorLine();
        mNavigationAnchor =
            int(std::partition_point(mBlocks.begin(), mBlocks.end(),
                                     [&](const MERGE_BLOCK &b) {
                                         return b.startLine[side] + b.lineCount[side] <= line;
                                     }) -
                mBlocks.begin());
        UpdateButtonStatus();
        if (then)
            then();
    });
}

// Undo -------------------------------------------------------------------------------------------

void MergeEditWndCtr::undoCommandAdded(int side)
{
    if (mLoading || mUndoing)
        return;
    mUndoSides.push_back(side);
    mRedoSides.clear();
    UpdateButtonStatus();
}

void MergeEditWndCtr::forgetUndoHistory(int side)
{
    std::erase(mUndoSides, side);
    std::erase(mRedoSides, side);
    UpdateButtonStatus();
}

bool MergeEditWndCtr::canUndo() const
{
    return std::any_of(mUndoSides.begin(), mUndoSides.end(),
                       [this](int side) { return textView(side)->document()->isUndoAvailable(); });
}

bool MergeEditWndCtr::canRedo() const
{
    return std::any_of(mRedoSides.begin(), mRedoSides.end(),
                       [this](int side) { return textView(side)->document()->isRedoAvailable(); });
}

bool MergeEditWndCtr::Menu_Undo()
{
    return undoOrRedo(false);
}

bool MergeEditWndCtr::Menu_Redo()
{
    return undoOrRedo(true);
}

bool MergeEditWndCtr::undoOrRedo(bool redo)
{
    GUARD_BEGIN
    if (mIsClosing || !isWindowLoaded())
        return false;
    std::vector<int> &from = redo ? mRedoSides : mUndoSides;
    std::vector<int> &to = redo ? mUndoSides : mRedoSides;
    while (!from.empty()) {
        const int side = from.back();
        from.pop_back();
        MyEditTextView *view = textView(side);
        // A step the pane no longer has (its text was loaded again) is skipped.
        if (redo ? !view->document()->isRedoAvailable() : !view->document()->isUndoAvailable())
            continue;
        mUndoing = true;
        mUndoChangePosition = -1;
        redo ? view->redo() : view->undo();
        mUndoing = false;
        to.push_back(side);
        // The pane's cursor goes to what the step changed (a block taken from the other pane
        // was made without it).
        if (mUndoChangePosition >= 0) {
            QTextCursor cursor(view->document());
            cursor.setPosition(
                std::min(mUndoChangePosition, view->document()->characterCount() - 1));
            view->setTextCursor(cursor);
        }
        // Show the blocks as they are now, and select the one the step touched (a block taken
        // back by undo comes back selected).
        recompareAfterEdit(side, [this, side] {
            const qint64 line = textView(side)->cursorLine();
            for (size_t i = 0; i < mBlocks.size(); ++i) {
                const MERGE_BLOCK &b = mBlocks[i];
                if (line >= b.startLine[side] &&
                    line <= b.startLine[side] + std::max<qint64>(b.lineCount[side], 1) - 1) {
                    selectBlock(int(i));
                    break;
                }
            }
        });
        UpdateButtonStatus();
        return true;
    }
    UpdateButtonStatus();
    return false;
    GUARD_END(false)
}

int MergeEditWndCtr::activeSide() const
{
    if (isWindowLoaded()) {
        for (int side : {1, 2})
            if (textView(side)->hasFocus())
                return side;
    }
    return mLastActiveSide;
}

// Save and close ---------------------------------------------------------------------------------

bool MergeEditWndCtr::SaveSide(int side)
{
    GUARD_BEGIN
    if (!isWindowLoaded() || (side != 1 && side != 2))
        return false;
    QString path = file(side);
    if (path.isEmpty()) {
        platform::SavePanelRequest request;
        request.title = L_("Save");
        request.nameField = QStringLiteral("Untitled.txt");
        path = platform::runSavePanel(request);
        if (path.isEmpty())
            return false;
    } else if (const QString why = TextSideWriter::whyNotWritableInPlace(state(side).readOk, path);
               !why.isEmpty()) {
        path = askSaveAsInstead(path, why);
        if (path.isEmpty())
            return false;
    } else if (!confirmReplacingChangedFile(side)) {
        return false;
    }
    if (const QString why = TextSideWriter::whyNotWritableTarget(path); !why.isEmpty()) {
        ShowMessage(L_("Error"), FillFormat(L_("Cannot save the file \"%@\"."), {path}) +
                                     QStringLiteral("\n\n") + why);
        return false;
    }
    SideState &st = state(side);
    TextSideWriter writer(st.info, gAppSetting);
    const QString text = textView(side)->plainText();
    if (!writer.canEncode(text)) {
        const int answer = ShowMessage2(
            L_("Warning"),
            FillFormat(L_("The text cannot be saved in the encoding \"%@\" without losing "
                          "characters. Save it as UTF-8?"),
                       {platform::TextEncoding::localizedName(writer.options().encoding)}),
            L_("Save as UTF-8"), L_("Cancel"));
        if (answer != 1000)
            return false;
        writer.useUtf8();
    }
    FileWriteFailure failure = FileWriteFailure::None;
    bool ok = writer.write(text, path, &failure);
    // A refused save says why and offers another file; the text stays in the pane meanwhile.
    while (!ok) {
        path = askSaveAsInstead(path, FillFormat(L_("Cannot save the file \"%@\"."), {path}) +
                                          QStringLiteral(" ") + FileWriteFailureText(failure));
        if (path.isEmpty())
            return false;
        if (const QString why = TextSideWriter::whyNotWritableTarget(path); !why.isEmpty()) {
            failure = FileWriteFailure::NotRegularFile;
            continue;
        }
        ok = writer.write(text, path, &failure);
    }
    file(side) = path;
    textView(side)->document()->setModified(false);
    st.readOk = true;
    st.info = writer.writtenInfo(path);
    st.textConverted = st.info.endLine != END_LINE_LF;
    recordDiskState(side);
    if (side == 1)
        setMTextWasEdited1(false);
    else
        setMTextWasEdited2(false);
    setDocumentEdited(WasEdit());
    UpdateTitle();
    updateStatusLabels();
    UpdateButtonStatus();
    return true;
    GUARD_END(false)
}

bool MergeEditWndCtr::confirmReplacingChangedFile(int side)
{
    // The window is told of changes on disk only when it becomes key; a file rewritten while the
    // window stayed in front would otherwise be replaced unseen.
    if (!diskChanged(side))
        return true;
    const QFileInfo fi(file(side));
    const SideState &st = state(side);
    if (fi.size() == st.declinedSize && fi.lastModified() == st.declinedModified)
        return true; // the user already chose the window's text over this change
    const int answer = ShowMessage2(
        L_("Warning"),
        FillFormat(L_("The file \"%@\" was changed by another application since it was read."),
                   {file(side)}) +
            QStringLiteral("\n\n") + L_("Saving replaces those changes."),
        L_("Save Anyway"), L_("Cancel"));
    return answer == 1000;
}

QString MergeEditWndCtr::askSaveAsInstead(const QString &path, const QString &why)
{
    const int answer = ShowMessage2(L_("Warning"),
                                    FillFormat(L_("The text is not saved to \"%@\"."), {path}) +
                                        QStringLiteral("\n\n") + why + QStringLiteral("\n\n") +
                                        L_("Choose another file to save the text to."),
                                    L_("Save As…"), L_("Cancel"));
    if (answer != 1000)
        return QString();
    platform::SavePanelRequest request;
    request.title = L_("Save As…");
    request.directory = QFileInfo(path).absolutePath();
    request.nameField = QFileInfo(path).fileName();
    return platform::runSavePanel(request);
}

bool MergeEditWndCtr::Menu_Save()
{
    // The pane being edited; when it has nothing to save, the other one if it has.
    const int active = activeSide();
    for (int side : {active, 3 - active})
        if (mTextWasEdited(side) || file(side).isEmpty())
            return SaveSide(side);
    return false;
}

bool MergeEditWndCtr::Menu_Reload()
{
    GUARD_BEGIN
    if (mIsClosing || mLoadingFiles || !isWindowLoaded() || (mFile1.isEmpty() && mFile2.isEmpty()))
        return false;
    if (WasEdit()) {
        const int answer =
            ShowMessage2(L_("Warning"), L_("You’ll lose your changes if you reload the document."),
                         L_("Reload"), L_("Cancel"));
        if (answer != 1000)
            return false;
    }
    // Each side again in the encoding it is shown in.
    ReadFromFiles(mSide1.info.encoding, mSide2.info.encoding);
    return true;
    GUARD_END(false)
}

bool MergeEditWndCtr::windowShouldClose()
{
    if (!WasEdit())
        return true;
    QStringList names;
    for (int side : {1, 2})
        if (mTextWasEdited(side))
            names << (file(side).isEmpty() ? L_("Untitled") : QFileInfo(file(side)).fileName());
    const int answer =
        ShowMessage2(L_("Warning"),
                     FillFormat(L_("Do you want to save the changes made to the document \"%@\"?"),
                                {names.join(QStringLiteral("\", \""))}),
                     L_("Save"), L_("Discard and Close"), L_("Cancel"));
    if (answer == 1000) {
        for (int side : {1, 2})
            if (mTextWasEdited(side) && !SaveSide(side))
                return false;
        return true;
    }
    return answer == 1001;
}

bool MergeEditWndCtr::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && isWindowLoaded() && watched == mUi->mSplitView)
        applySplitShare();
    if (event->type() == QEvent::FocusIn && isWindowLoaded()) {
        for (int side : {1, 2})
            if (watched == textView(side))
                mLastActiveSide = side;
    }
    return MergeWindow::eventFilter(watched, event);
}

void MergeEditWndCtr::windowWillCloseEvent()
{
    GUARD_BEGIN
    if (mClosed)
        return;
    mClosed = true;
    mIsClosing = true;
    platform::cancelPerform(this, QString());
    cancelCompare();
    if (mLoadCancel)
        *mLoadCancel = true;
    QWidget *w = window();
    Save_Window_Frame(w, this);
    const QList<int> sizes = mUi->mSplitView->sizes();
    if (sizes.size() == 3 && sizes[0] + sizes[2] > 0)
        platform::UserDefaults::standard().setDouble(double(sizes[0]) / (sizes[0] + sizes[2]),
                                                     kSplitPosKey);
    OpenCompareWindowList_Remove(this);
    const QString name1 = QFileInfo(mFile1).fileName();
    const QString name2 = QFileInfo(mFile2).fileName();
    if (!mFile1.isEmpty() && name1.compare(name2, Qt::CaseInsensitive) == 0) {
        QVariantMap info;
        info.insert(QStringLiteral("paths"), QStringList{mFile1});
        platform::NotificationCenter::defaultCenter().postNotification(
            QString::fromLatin1(kNeedUpdateFileCompareResult), this, info);
    }
    mFontObserver.reset();
    if (mShouldCloseDocument)
        deleteLater();
    GUARD_END_VOID
}

// Settings, state and labels ---------------------------------------------------------------------

void MergeEditWndCtr::setDocumentEdited(bool edited)
{
    if (QWidget *w = isWindowLoaded() ? window() : nullptr)
        w->setWindowModified(edited);
}

bool MergeEditWndCtr::isDocumentEdited() const
{
    return mUi->mMainView && mUi->mMainView->window()->isWindowModified();
}

void MergeEditWndCtr::setMTextWasEdited1(bool edited)
{
    mTextWasEdited1 = edited;
    UpdateButtonStatus();
}

void MergeEditWndCtr::setMTextWasEdited2(bool edited)
{
    mTextWasEdited2 = edited;
    UpdateButtonStatus();
}

void MergeEditWndCtr::setCompareOptions(const LineCompareOptions &options)
{
    if (options == mOptions)
        return;
    mOptions = options;
    storeOptions();
    if (isWindowLoaded()) {
        syncOptionControls();
        RefreshCompare();
    }
}

std::vector<MergeEditWndCtr::OptionControl> MergeEditWndCtr::optionControls() const
{
    const auto &ui = *mUi;
    return {
        {ui.mCheck_IgnoreCase, ui.actionIgnoreCase, &LineCompareOptions::ignoreCase},
        {ui.mCheck_IgnoreTabExpansion, ui.actionIgnoreTabExpansion,
         &LineCompareOptions::ignoreTabExpansion},
        {ui.mCheck_IgnoreSpaceChange, ui.actionIgnoreSpaceChange,
         &LineCompareOptions::ignoreSpaceChange},
        {ui.mCheck_IgnoreAllSpace, ui.actionIgnoreAllSpace, &LineCompareOptions::ignoreAllSpace},
        {ui.mCheck_IgnoreBlankLines, ui.actionIgnoreBlankLines,
         &LineCompareOptions::ignoreBlankLines},
    };
}

void MergeEditWndCtr::syncOptionControls()
{
    for (const OptionControl &c : optionControls()) {
        const QSignalBlocker blockBox(c.box), blockAction(c.action);
        c.box->setChecked(mOptions.*(c.field));
        c.action->setChecked(mOptions.*(c.field));
    }
}

void MergeEditWndCtr::loadOptions()
{
    auto &d = platform::UserDefaults::standard();
    mOptions.ignoreCase = d.boolForKey(kOptionKeys[0]);
    mOptions.ignoreTabExpansion = d.boolForKey(kOptionKeys[1]);
    mOptions.ignoreSpaceChange = d.boolForKey(kOptionKeys[2]);
    mOptions.ignoreAllSpace = d.boolForKey(kOptionKeys[3]);
    mOptions.ignoreBlankLines = d.boolForKey(kOptionKeys[4]);
}

void MergeEditWndCtr::storeOptions()
{
    auto &d = platform::UserDefaults::standard();
    d.setBool(mOptions.ignoreCase, kOptionKeys[0]);
    d.setBool(mOptions.ignoreTabExpansion, kOptionKeys[1]);
    d.setBool(mOptions.ignoreSpaceChange, kOptionKeys[2]);
    d.setBool(mOptions.ignoreAllSpace, kOptionKeys[3]);
    d.setBool(mOptions.ignoreBlankLines, kOptionKeys[4]);
}

void MergeEditWndCtr::applyViewSettings()
{
    GUARD_BEGIN
    QString family = APPSETTING_GET_STRING(gAppSetting, fontName);
    if (family.isEmpty())
        family = GetDefaultFixedFontName();
    const double size =
        gAppSetting.textSize >= 6 && gAppSetting.textSize <= 50 ? gAppSetting.textSize : 12.0;
    // A stored font that is not installed (another machine's) gives the system's fixed-width
    // font, by the installed family it stands for: how a missing family is matched differs from
    // one desktop to the next and is often a proportional font.
    QFont font(family);
    if (!QFontDatabase::hasFamily(family)) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setFamily(QFontInfo(font).family());
    }
    font.setPointSizeF(size);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    const int tab = std::clamp(int(gAppSetting.textTabLen), 1, 30);
    for (int side : {1, 2}) {
        MyEditTextView *view = textView(side);
        view->setFont(font);
        view->setTabStopDistance(tab * QFontMetricsF(font).horizontalAdvance(u' '));
        setWrapSetting(view, gAppSetting.bWrapText && !mLargeText);
        view->setShowLineNumbers(gAppSetting.bShowLineNumber != 0);
        SetTextViewColorMode(view);
    }
    applyLanguage();
    GUARD_END_VOID
}

std::shared_ptr<MyLanguageInfo> MergeEditWndCtr::languageForFile(const QString &path) const
{
    if (!gAppSetting.bAutoHightLightText)
        return nullptr;
    std::shared_ptr<MyLanguageInfo> language;
    const QString ext = QFileInfo(path).suffix();
    if (!ext.isEmpty())
        language = MyLanguageInfo::languageWith_fileType(ext, false);
    if (!language)
        language = MyLanguageInfo::languageWith_Setting(&gAppSetting);
    return language;
}

void MergeEditWndCtr::applyLanguage()
{
    GUARD_BEGIN
    if (!isWindowLoaded())
        return;
    for (int side : {1, 2}) {
        auto language = mLargeText        ? nullptr
                        : mLanguageChosen ? mChosenLanguage
                                          : languageForFile(file(side));
        if (textView(side)->language() != language)
            textView(side)->setLanguage(language);
    }
    GUARD_END_VOID
}

void MergeEditWndCtr::Menu_ReloadWithEncoding(QAction *item)
{
    GUARD_BEGIN
    if (!item || mLoadingFiles || !isWindowLoaded())
        return;
    const QString title = item->text();
    platform::StringEncoding encoding = 0;
    bool found = false;
    for (const QVariantList &entry : GetAllAvailableStringEncodings_Array_Name_Code()) {
        if (entry.size() >= 2 && entry[0].toString() == title) {
            encoding = platform::StringEncoding(entry[1].toULongLong());
            found = true;
            break;
        }
    }
    if (!found) {
        REPORT_FATAL();
        return;
    }
    if (encoding != 0) {
        for (int side : {1, 2}) {
            if (file(side).isEmpty() || fileFitsEncoding(file(side), encoding))
                continue;
            ShowMessage(L_("Error"),
                        FillFormat(L_("The file \"%@\" is not valid in the encoding \"%@\". "
                                      "The text stays as it was."),
                                   {file(side), platform::TextEncoding::localizedName(encoding)}));
            return;
        }
    }
    if (WasEdit()) {
        const int answer =
            ShowMessage2(L_("Warning"), L_("You’ll lose your changes if you reload the document."),
                         L_("Reload"), L_("Cancel"));
        if (answer != 1000)
            return;
    }
    ReadFromFiles(encoding);
    GUARD_END_VOID
}

namespace {
std::function<bool(qint64)> gViewSettingGuard;
}

void MergeEditWndCtr::setViewSettingGuard(std::function<bool(qint64)> guard)
{
    gViewSettingGuard = std::move(guard);
}

bool MergeEditWndCtr::fileFitsEncoding(const QString &path, platform::StringEncoding encoding)
{
    using namespace platform::Encoding;
    TextFileInfo info;
    info.encoding = encoding;
    // A file that cannot be read at all is reported by the reload itself.
    if (App_ReadTextFileContent(path, &info).isNull())
        return true;
    const platform::StringEncoding got = info.encoding;
    if (encoding == UTF16)
        return got == UTF16BE || got == UTF16LE;
    if (encoding == UTF32)
        return got == UTF32BE || got == UTF32LE;
    return got == encoding;
}

void MergeEditWndCtr::Menu_Change_HightLightWithLanguage(QAction *item)
{
    GUARD_BEGIN
    if (!item)
        return;
    const QString title = item->text();
    const bool turningOn = title.compare(kNoLanguage, Qt::CaseInsensitive) != 0;
    if (turningOn && gViewSettingGuard && textView(1)) {
        const qint64 length = std::max(textView(1)->document()->characterCount(),
                                       textView(2)->document()->characterCount());
        if (!gViewSettingGuard(length))
            return;
    }
    mLanguageChosen = true;
    mChosenLanguage = title.compare(kNoLanguage, Qt::CaseInsensitive) == 0
                          ? nullptr
                          : MyLanguageInfo::languageWith_nameShow(title);
    applyLanguage();
    GUARD_END_VOID
}

void MergeEditWndCtr::UpdateButtonStatus()
{
    if (!isWindowLoaded() || !mUi->mButton_Next)
        return;
    auto &ui = *mUi;
    // While blocks are compared again, or out of date after an edit, nothing that needs them
    // can be used.
    const bool blocksUsable = !mCompareJob && !mBlocksOutOfDate && !mLoadingFiles;
    const int n = blocksUsable ? int(mBlocks.size()) : 0;
    const bool hasCurrent = mCurrentBlock >= 0 && mCurrentBlock < n;
    const bool canPrev = n > 0 && (hasCurrent ? mCurrentBlock > 0 : mNavigationAnchor > 0);
    const bool canNext = n > 0 && (hasCurrent ? mCurrentBlock < n - 1 : mNavigationAnchor < n);
    ui.mButton_Previous->setEnabled(canPrev);
    ui.actionPrevious->setEnabled(canPrev);
    ui.mButton_Next->setEnabled(canNext);
    ui.actionNext->setEnabled(canNext);
    for (QObject *o : {static_cast<QObject *>(ui.mButton_CopyToLeft),
                       static_cast<QObject *>(ui.mButton_CopyToRight),
                       static_cast<QObject *>(ui.actionCopyToLeft),
                       static_cast<QObject *>(ui.actionCopyToRight)})
        o->setProperty("enabled", hasCurrent);
    for (QObject *o : {static_cast<QObject *>(ui.mButton_CopyAllToLeft),
                       static_cast<QObject *>(ui.mButton_CopyAllToRight),
                       static_cast<QObject *>(ui.actionCopyAllToLeft),
                       static_cast<QObject *>(ui.actionCopyAllToRight)})
        o->setProperty("enabled", n > 0);
    const bool save1 = mTextWasEdited1 || mFile1.isEmpty();
    const bool save2 = mTextWasEdited2 || mFile2.isEmpty();
    ui.mButton_Save1->setEnabled(save1);
    ui.actionSave1->setEnabled(save1);
    ui.mButton_Save2->setEnabled(save2);
    ui.actionSave2->setEnabled(save2);
    ui.actionSave->setEnabled(save1 || save2);
    ui.actionReload->setEnabled(!mFile1.isEmpty() || !mFile2.isEmpty());
    ui.actionUndo->setEnabled(canUndo());
    ui.actionRedo->setEnabled(canRedo());
}

void MergeEditWndCtr::UpdateTitle()
{
    if (!isWindowLoaded())
        return;
    QString title;
    if (mFile1.isEmpty() || mFile2.isEmpty()) {
        title = L_("Untitled");
    } else {
        const QString n1 = QFileInfo(mFile1).fileName(), n2 = QFileInfo(mFile2).fileName();
        if (n1 != n2)
            title = L_("Merge") + QStringLiteral(" :") + FillFormat(L_("[%@] and [%@]"), {n1, n2});
        else
            title = L_("Merge") + QStringLiteral(": ") + n1;
    }
    window()->setWindowTitle(title + QStringLiteral("[*]"));
    mUi->mFilePathLabel1->setText(mFile1.isEmpty() ? L_("Untitled") : mFile1);
    mUi->mFilePathLabel2->setText(mFile2.isEmpty() ? L_("Untitled") : mFile2);
}

void MergeEditWndCtr::updateStatusLabels()
{
    if (!isWindowLoaded())
        return;
    for (int side : {1, 2}) {
        const SideState &st = state(side);
        QStringList parts;
        if (st.info.encoding)
            parts << platform::TextEncoding::localizedName(st.info.encoding);
        if (st.info.hasBOM)
            parts << QStringLiteral("BOM");
        parts << lineEndName(st.info.endLine);
        if (st.info.permissions >= 0)
            parts << permissionText(st.info.permissions);
        (side == 1 ? mUi->mStatusLabel1 : mUi->mStatusLabel2)->setText(parts.join(u"  ·  "));
    }
    UpdateTitle();
}
