#include "shell/MergeDocument.h"
#include "ui_MergeDocument.h"

#include "compare/Export_GenegatePatch_SettingView.h"
#include "controls/DropWindow.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "platform/WindowController.h"
#include "services/AppSetting.h"
#include "services/Localization.h"
#include "services/WindowFrame.h"
#include "themes/DarkMode.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QMainWindow>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QApplication>

namespace {

QString lastComponent(const QString &path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(QLatin1Char('/')))
        p.chop(1);
    return QFileInfo(p).fileName();
}

// Tells when a pop-up of the application (a combo box list, a menu) hides.
class PopupHideWatcher : public QObject
{
public:
    PopupHideWatcher(QObject *parent, std::function<void()> hidden)
        : QObject(parent), mHidden(std::move(hidden))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->windowType() == Qt::Popup)
            mHidden();
        return false;
    }

private:
    std::function<void()> mHidden;
};

} // namespace

MergeDocument::MergeDocument(QObject *parent)
    : platform::Document(parent), mUi(std::make_unique<Ui::MergeDocument>())
{}

MergeDocument::~MergeDocument()
{
    mIsClosing = true;
    // The window goes while this document is whole: its widgets may still signal on the way.
    if (mWindow)
        mWindow->removeEventFilter(this);
    if (mController)
        delete mController.data();
    mPathFromURL1.clear();
    mPathFromURL2.clear();
    mSuggestFileList.clear();
}

void MergeDocument::InstallAsDocumentFactory()
{
    platform::DocumentController::sharedDocumentController().setDocumentFactory(
        [] { return new MergeDocument(); });
}

MergeDocument *MergeDocument::create()
{
    GUARD_BEGIN
    return qobject_cast<MergeDocument *>(
        platform::DocumentController::sharedDocumentController().openUntitledDocumentAndDisplay(
            true));
    GUARD_END(nullptr)
}

bool MergeDocument::readFromFile(const QString &path, const QString &type)
{
    (void)type;
    // Nothing is read: the path only becomes the document's file, shown in the left field.
    if (path.isEmpty())
        return false;
    setFileURL(path);
    mPathFromURL1 = path;
    if (mWindow && !mIsClosing)
        SetLeftText(path);
    return true;
}

void MergeDocument::makeWindowControllers()
{
    loadWindow();
}

void MergeDocument::loadWindow()
{
    GUARD_BEGIN
    if (mController)
        return;
    auto *window = new QMainWindow();
    mUi->setupUi(window);
    mWindow = window;
    mPatchView = new Export_GenegatePatch_SettingView(window);
    mPatchView->hide();
    mController = new platform::WindowController(window, windowNibName());
    // A new start window steps down from the last one, as compare windows do, instead of
    // covering it exactly.
    mController->setShouldCascadeWindows(true);
    connect(mController, &platform::WindowController::windowWillClose, this,
            [this] { windowWillClose(); });
    addWindowController(mController);
    awakeFromNib();
    GUARD_END_VOID
}

QWidget *MergeDocument::window() const
{
    return mWindow.data();
}

QMainWindow *MergeDocument::mainWnd() const
{
    return qobject_cast<QMainWindow *>(mWindow.data());
}

QWidget *MergeDocument::windowForSheet() const
{
    if (mWindow)
        return mWindow.data();
    REPORT_FATAL();
    return platform::Document::windowForSheet();
}

QString MergeDocument::displayName() const
{
    const QString name = getWindowDisplayName();
    return name.isEmpty() ? L_(QStringLiteral("Merge")) : name;
}

QString MergeDocument::getWindowDisplayName() const
{
    GUARD_BEGIN
    QString left = fileURL().isEmpty() ? QString() : lastComponent(fileURL());
    if (left.isEmpty() && mWindow)
        left = lastComponent(mUi->mLeftPathTxt->text().trimmed());
    const QString right = mWindow ? lastComponent(mUi->mRightPathTxt->text().trimmed()) : QString();
    // A start window holds no document of its own: without paths it is named for what it does.
    if (left.isEmpty() && right.isEmpty())
        return L_(QStringLiteral("New Compare"));
    if (left.isEmpty())
        return right;
    if (right.isEmpty())
        return left;
    // Only the title: two names that differ in letter case are still one file for the eye.
    if (left.compare(right, Qt::CaseInsensitive) == 0)
        return left;
    return QStringLiteral("%1  vs  %2").arg(left, right);
    GUARD_END(QString())
}

void MergeDocument::awakeFromNib()
{
    GUARD_BEGIN
    gAppSetting.bIsDarkMode = GetIsDarkMode() ? 1 : 0;
    QWidget *w = mWindow.data();
    auto *drop = DropWindow::of(w) ? DropWindow::of(w) : new DropWindow(w);
    drop->setDropDelegate(this);
    Localize_LoadWindowPos_SetBackground(w, this, platform::Color(), true);
    // The form's own close buttons are not needed: Escape and the close key close the window;
    // Escape only once nothing else is open.
    for (const QKeySequence &key :
         {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close)}) {
        auto *shortcut = new QShortcut(key, w);
        const bool escape = key == QKeySequence(Qt::Key_Escape);
        connect(shortcut, &QShortcut::activated, this, [this, escape] {
            if (mIsClosing || (escape && escapeClosesWhatIsOpen()))
                return;
            closeTab();
        });
    }
    w->installEventFilter(this);
    // On some window systems a pop-up closes on Escape before the window's shortcut sees that
    // same key: an Escape that closed a pop-up must not close the window too.
    new PopupHideWatcher(this, [this] {
        mPopupClosedThisTurn = true;
        QTimer::singleShot(0, this, [this] { mPopupClosedThisTurn = false; });
    });

    setUpSuggestList();
    for (MyTextField *field : {mUi->mLeftPathTxt, mUi->mRightPathTxt}) {
        field->setReadOnly(false);
        field->installEventFilter(this);
    }
    mUi->mLeftSelectButton->show();
    mUi->mRightSelectButton->show();
    mUi->mainView->setDelegate(this);
    setUpFilterFields();
    hideSuggestList();
    // The drop halves take the start area's place during a drag; the rest keeps its place.
    QSizePolicy keep = mUi->mView_BeforeDropFile->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    mUi->mView_BeforeDropFile->setSizePolicy(keep);
    for (QWidget *half : {mUi->mView_WhenDropFile1, mUi->mView_WhenDropFile2}) {
        half->setBackgroundRole(QPalette::Base);
        half->setForegroundRole(QPalette::Text);
        half->hide();
    }
    mUi->mView_BeforeDropFile->show();
    mUi->mLeftPathTxt->setFocus();
    awakeFromNib_Later();
    GUARD_END_VOID
}

void MergeDocument::awakeFromNib_Later()
{
    GUARD_BEGIN
    for (MyTextField *field : {mUi->mLeftPathTxt, mUi->mRightPathTxt})
        field->setMParent(this);
    // The image a box shows while its field names nothing.
    const QPixmap placeholder = mWindow->style()->standardIcon(QStyle::SP_DirIcon).pixmap(32, 32);
    for (DropFolderBox *box : {mUi->mLeftDrop, mUi->mRightDrop}) {
        if (box->pixmap().isNull())
            box->setPixmap(placeholder);
        box->setAlignment(Qt::AlignCenter);
        box->setParentDocument(this);
        box->awakeFromNib();
    }
    mUi->mLeftDrop->setDestText(mUi->mLeftPathTxt);
    mUi->mRightDrop->setDestText(mUi->mRightPathTxt);
    connectControls();
    setUpOptionsFromSettings();

    if (!fileURL().isEmpty())
        mPathFromURL1 = fileURL();
    auto firstOf = [](const QStringList *history) {
        return history && !history->isEmpty() ? history->first() : QString();
    };
    const QString left =
        !mPathFromURL1.isNull() ? mPathFromURL1 : firstOf(gAppSetting_compare_leftHistoryPaths);
    const QString right =
        !mPathFromURL2.isNull() ? mPathFromURL2 : firstOf(gAppSetting_compare_rightHistoryPaths);
    if (!left.isEmpty())
        mUi->mLeftPathTxt->setText(left);
    if (!right.isEmpty())
        mUi->mRightPathTxt->setText(right);
    // What was filled in is selected, so typing a new path replaces it.
    mUi->mLeftPathTxt->selectAll();
    for (DropFolderBox *box : {mUi->mLeftDrop, mUi->mRightDrop})
        box->RefreshImageFromText();
    // Filling the fields is no typing: no suggestion list at start.
    hideSuggestList();
    UpdateButtonStatus();
    windowWillBeKey();
    GUARD_END_VOID
}

bool MergeDocument::eventFilter(QObject *watched, QEvent *event)
{
    if (mIsClosing)
        return platform::Document::eventFilter(watched, event);
    if (watched == mWindow.data()) {
        if (event->type() == QEvent::ActivationChange && mWindow->isActiveWindow())
            windowWillBeKey();
        else if (event->type() == QEvent::Resize && isSuggestListShown() && mCurrentEdit)
            placeSuggestListUnder(mCurrentEdit);
        return platform::Document::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        auto *field = qobject_cast<QLineEdit *>(watched);
        if (field && (field == mUi->mLeftPathTxt || field == mUi->mRightPathTxt))
            return handlePathFieldKey(field, static_cast<QKeyEvent *>(event));
    }
    return platform::Document::eventFilter(watched, event);
}

void MergeDocument::cancelButtonClicked()
{
    GUARD_BEGIN
    if (!mWindow)
        return;
    mIsClosing = true;
    platform::performAfterDelay(this, 0.1, [this] { cancelButtonClicked_Later(); });
    mWindow->hide();
    GUARD_END_VOID
}

void MergeDocument::cancelButtonClicked_Later()
{
    GUARD_BEGIN
    unloadDropBoxes();
    close();
    GUARD_END_VOID
}

void MergeDocument::unloadDropBoxes()
{
    if (!mWindow)
        return;
    for (DropFolderBox *box : {mUi->mLeftDrop, mUi->mRightDrop}) {
        if (box)
            box->UnLoad();
    }
}

void MergeDocument::windowWillClose()
{
    GUARD_BEGIN
    if (mWillCloseDone)
        return;
    mWillCloseDone = true;
    if (auto *drop = DropWindow::of(mWindow))
        drop->setDropDelegate(nullptr);
    unloadDropBoxes();
    SaveSetting();
    mIsClosing = true;
    for (MyTokenTextList *field : tokenFields()) {
        if (field)
            field->setMIsClosing(true);
    }
    // Closed by its close box: the document goes with its window.
    if (!isClosed())
        QTimer::singleShot(0, this, [this] { close(); });
    GUARD_END_VOID
}

void MergeDocument::closeAfterCompareWindowOpened()
{
    for (MyTokenTextList *field : tokenFields()) {
        if (field)
            field->setMIsClosing(true);
    }
    mCurrentEdit = nullptr;
    cancelButtonClicked();
}
