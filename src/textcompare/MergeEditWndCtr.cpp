#include "textcompare/MergeEditWndCtr.h"

#include "controls/FlowLayout.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "platform/UserDefaults.h"
#include "services/AppSetting.h"
#include "services/Localization.h"
#include "textcompare/CustomTextViewLineView.h"
#include "services/WindowFrame.h"
#include "textcompare/CenterLinkView.h"
#include "textcompare/DiffResultView.h"
#include "textcompare/MyEditTextView.h"
#include "textcompare/PaneScrollSync.h"
#include "textcompare/PaneUndoHistory.h"
#include "themes/ThemeColor.h"
#include "ui_MergeEditWndCtr.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>

namespace {

const QString kSplitPosKey = QStringLiteral("saveSplitViewPos");

} // namespace

MergeEditWndCtr::MergeEditWndCtr(const QString &windowNibName, QObject *parent)
    : MergeWindow(windowNibName, parent), mUi(std::make_unique<Ui::MergeEditWndCtr>()),
      mCompare(new BlockCompare(this)), mCharacterCompare(new BlockCharacterCompare(this))
{
    OpenCompareWindowList_Add(this);
    loadOptions();
    mFontObserver = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("Merge_UpdateFont"), nullptr, [this](const platform::Notification &) {
            if (mIsClosing || !isWindowLoaded())
                return;
            settingsChanged();
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
    mUndo = std::make_unique<PaneUndoHistory>(mUi->mTextView1, mUi->mTextView2);
    mUi->mSplitView->setStretchFactor(0, 1);
    mUi->mSplitView->setStretchFactor(1, 0);
    mUi->mSplitView->setStretchFactor(2, 1);

    mToolTipItem = new QLabel(mUi->mMainView);
    mToolTipItem->setObjectName(QStringLiteral("windowToolTipItem"));
    mToolTipItem->setAutoFillBackground(true);
    mToolTipItem->setFrameShape(QFrame::Box);
    // A tip above the gutter must not take the clicks meant for it.
    mToolTipItem->setAttribute(Qt::WA_TransparentForMouseEvents);
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
    layOutButtonBar();
    for (QLabel *label : {mUi->mFilePathLabel1, mUi->mFilePathLabel2})
        label->installEventFilter(this);
    for (const auto &[button, action] : buttonKeys) {
        const QString tip = button->toolTip().isEmpty() ? action->text() : button->toolTip();
        button->setToolTip(tip + QStringLiteral(" (") +
                           action->shortcut().toString(QKeySequence::NativeText) +
                           QStringLiteral(")"));
    }
    syncOptionControls();
    connectControls();
    fillMenus();
    mWrapWanted = gAppSetting.bWrapText != 0;
    mLineNumbersWanted = gAppSetting.bShowLineNumber != 0;
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

void MergeEditWndCtr::layOutButtonBar()
{
    // The buttons and the ignore options flow into as many rows as the width needs: the window
    // fits a small screen, or half of a large one, and no control is ever out of reach.
    auto &ui = *mUi;
    auto *flow = new FlowLayout(ui.mButtonBar);
    flow->setContentsMargins(0, 0, 0, 0);
    flow->setSpacing(4);
    for (QWidget *button :
         {ui.mButton_Previous, ui.mButton_Next, ui.mButton_CopyToRight, ui.mButton_CopyToLeft,
          ui.mButton_CopyAllToRight, ui.mButton_CopyAllToLeft, ui.mButton_Compare})
        flow->addWidget(button);
    for (const OptionControl &c : optionControls())
        flow->addWidget(c.box);
    flow->startGroup(ui.mButton_Previous, 0);
    flow->startGroup(ui.mCheck_IgnoreCase, 12);
    ui.mButtonBar->installEventFilter(this);
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
    connect(ui.actionCompareFolders, &QAction::triggered, this,
            [this] { Merge_Compare_two_subdirectories(true); });
    connect(ui.actionWrapLines, &QAction::toggled, this,
            [this](bool on) { Menu_SetWrapLines(on); });
    connect(ui.actionShowLineNumbers, &QAction::toggled, this,
            [this](bool on) { Menu_SetShowLineNumbers(on); });
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
        connect(view->lineNumberView(), &CustomTextViewLineView::toolTipRequested, this,
                [this](const QString &text, const QPoint &at) { showGutterToolTip(text, at); });
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
                if (mUndo->isStepping())
                    mUndo->noteChange(position);
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

void MergeEditWndCtr::showWindow()
{
    GUARD_BEGIN
    if (!window())
        return;
    MergeWindow::showWindow();
    startLoad();
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

int MergeEditWndCtr::activeSide() const
{
    if (isWindowLoaded()) {
        for (int side : {1, 2})
            if (textView(side)->hasFocus())
                return side;
    }
    return mLastActiveSide;
}

bool MergeEditWndCtr::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && isWindowLoaded() && watched == mUi->mSplitView)
        applySplitShare();
    if (event->type() == QEvent::Resize && isWindowLoaded() &&
        (watched == mUi->mFilePathLabel1 || watched == mUi->mFilePathLabel2))
        fitPathLabel(static_cast<QLabel *>(watched));
    // The rows of the bar at its width are its least height: a window too short for them grows
    // rather than hide controls behind the panes.
    if (event->type() == QEvent::Resize && isWindowLoaded() && watched == mUi->mButtonBar)
        if (const QLayout *flow = mUi->mButtonBar->layout())
            mUi->mButtonBar->setMinimumHeight(flow->heightForWidth(mUi->mButtonBar->width()));
    if (event->type() == QEvent::WindowDeactivate && isWindowLoaded() && watched == window() &&
        mToolTipItem)
        mToolTipItem->hide();
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

void MergeEditWndCtr::setDocumentEdited(bool edited)
{
    if (QWidget *w = isWindowLoaded() ? window() : nullptr)
        w->setWindowModified(edited);
}

bool MergeEditWndCtr::isDocumentEdited() const
{
    return mUi->mMainView && mUi->mMainView->window()->isWindowModified();
}

QStringList MergeEditWndCtr::EditedFiles() const
{
    QStringList files;
    if (mTextWasEdited1)
        files << (mFile1.isNull() ? QStringLiteral("") : mFile1);
    if (mTextWasEdited2)
        files << (mFile2.isNull() ? QStringLiteral("") : mFile2);
    return files;
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
