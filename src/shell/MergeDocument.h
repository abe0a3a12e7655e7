#pragma once
// The start window: takes two paths (typed with suggestions, picked from the histories, chosen in
// an open panel, swapped, dropped, or handed over) and the folder-compare options, then opens the
// text, image or folder compare window for them, or writes a patch of two files.
//
// Its concerns live in separate files: life and title here, path entry in
// MergeDocument_PathEntry.cpp, the folder options in MergeDocument_Options.cpp and the compare
// decision in MergeDocument_Compare.cpp.

#include "compare/FileListCompareInfo.h"
#include "controls/DropFolderBox.h"
#include "controls/DropWindowDelegate.h"
#include "platform/Document.h"
#include "shell/MyView.h"

#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QStringList>
#include <array>
#include <memory>

namespace Ui {
class MergeDocument;
}
namespace platform {
class WindowController;
}
class Export_GenegatePatch_SettingView;
class MyTextField;
class MyTokenTextList;
class QAbstractButton;
class QAction;
class QMainWindow;

class MergeDocument : public platform::Document,
                      public DropWindowDelegate,
                      public DropFolderBoxParent,
                      public MyViewDelegate
{
    Q_OBJECT
public:
    explicit MergeDocument(QObject *parent = nullptr);
    ~MergeDocument() override;

    // Lets the shared document controller make start windows (untitled, or for a path).
    static void InstallAsDocumentFactory();
    // Opens and shows a new untitled start window through the document controller; nullptr
    // when its factory makes no start window.
    static MergeDocument *create();

    // ---- document ----
    QString windowNibName() const override { return QStringLiteral("MergeDocument"); }
    // A path handed over: it becomes the document's file and is shown in the left field.
    bool readFromFile(const QString &path, const QString &type) override;
    void makeWindowControllers() override;
    QWidget *windowForSheet() const override;
    QString displayName() const override;

    // The window (nullptr before makeWindowControllers and after closing).
    QWidget *window() const;
    QMainWindow *mainWnd() const;
    Ui::MergeDocument &ui() const { return *mUi; }
    QString getWindowDisplayName() const;

    // ---- paths (handed over by the application) ----
    void SetLeftText(const QString &text);
    void SetRightText(const QString &text);
    // The untrimmed field texts; "" when empty.
    QString getFullPath1() const;
    QString getFullPath2() const;
    // Presses Compare 0.01 s later when it is enabled; false when it is not.
    bool TryToCompareRightNow();

    // ---- closing ----
    bool isClosing() const { return mIsClosing; }
    bool get_mIsClosing() override { return mIsClosing; }
    void setMIsClosing(bool closing) { mIsClosing = closing; }
    // Hides the window at once and closes the document 0.1 s later.
    void cancelButtonClicked();
    Q_INVOKABLE void closeTab() { cancelButtonClicked(); }

    // ---- compare decision ----
    // The commands are invokable by name, so the shared menus reach them through the document.
    Q_INVOKABLE void ButtonCompare();
    Q_INVOKABLE void Button_GeneratePatch();
    Q_INVOKABLE void Navigate_Forward() { ButtonCompare(); }
    Q_INVOKABLE void Navigate_Back() {}
    // Whether the go-forward and go-back commands are available.
    bool validateNavigateForward() const;
    bool validateNavigateBack() const { return false; }
    // Enables a menu item whose command is one of the navigation commands (the command is the
    // item's "pelkoRoutedCommand" property, else its object name); other items are left alone.
    Q_INVOKABLE void validateMenuItem(QAction *item);
    void startCompare(bool generatePatch);
    void UpdateButtonStatus() override;
    void SaveSetting();
    Q_INVOKABLE void New_BlankEdit();
    Export_GenegatePatch_SettingView *exportGeneratePatchView() const { return mPatchView; }

    // ---- path entry ----
    void textDidChange(QLineEdit *field);
    void ResetSuggestFileList(const QString &typed);
    // A key command of a path field ("moveUp:", "insertNewline:", ...); true when consumed.
    bool doCommandBySelector(QLineEdit *control, const QString &command);
    void TableOpenRow(int row);
    void MouseDoubleClick();
    void textDidEndEditing(QLineEdit *field);
    void textDidEndEditing_Later();
    void withView_mouseUp(MyView *view, QMouseEvent *event) override;
    void LeftSelect(QAbstractButton *sender = nullptr);
    void RightSelect(QAbstractButton *sender = nullptr);
    void LeftMenuSelected(QAction *item);
    void RightMenuSelected(QAction *item);
    void ButtonLeft();
    void ButtonRight();
    void SwapLeftRight();
    QStringList suggestFileList() const { return mSuggestFileList; }
    QLineEdit *mCurrentEditText() const { return mCurrentEdit; }
    bool isSuggestListShown() const;
    // The history menu opened last (nullptr when none is open).
    QMenu *historyMenu() const { return mHistoryMenu; }
    // The menu item data of the clear-history item.
    static constexpr int kClearHistoryMarker = -1;

    // ---- drops on the window ----
    std::optional<bool> get_AllowDrop(const DraggingInfo &info) override;
    void draggingEntered(const DraggingInfo &info) override;
    void draggingExited(const DraggingInfo &info) override;
    void draggingEnded(const DraggingInfo &info) override;
    std::optional<bool> performDragOperation_Finish(const DraggingInfo &info) override;
    // 1 for the left half of the window, 2 for the right half, -1 while closing or windowless.
    int mousePositionIsOnSideIndex(const QPointF &windowPosition) const;

    // ---- folder options ----
    void UpdateButtonStatus_Controls_For_searchString();
    void compare_quickCompare_change(QAbstractButton *sender);
    void UpdateButtonStatus_Controls_For_compare_quickCompare_full();
    // The six filter fields: plain include, exclude, sub-folders, then their regex twins.
    std::array<MyTokenTextList *, 6> tokenFields() const;

signals:
    // A compare window was opened for the pair (the text, image or folder window controller).
    void compareWindowOpened(QObject *controller);
    // A two-file patch was asked for and answered (written, cancelled or failed).
    void patchFinished(bool ok);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadWindow();
    void awakeFromNib();
    void awakeFromNib_Later();
    void connectControls();
    void windowWillBeKey() {}
    void windowWillClose();
    void cancelButtonClicked_Later();
    void unloadDropBoxes();
    void closeAfterCompareWindowOpened();

    // path entry
    void setUpSuggestList();
    void hideSuggestList();
    // The list goes away without the user asking (the text matches nothing, editing ended).
    void suggestListHidesItself();
    // Escape closes what is open (a pop-up, the suggestion list, or takes the Escape meant for
    // a list that just hid itself): true when it did, so the window stays.
    bool escapeClosesWhatIsOpen();
    void placeSuggestListUnder(QLineEdit *field);
    void selectSuggestRow(int row);
    void openHistoryMenu(bool left, QAbstractButton *sender);
    void historyMenuSelected(bool left, QAction *item);
    void choosePathWithPanel(bool left);
    bool handlePathFieldKey(QLineEdit *field, QKeyEvent *event);

    // folder options
    void setUpFilterFields();
    void setUpOptionsFromSettings();
    void layRegexFieldsOverTwins();

    // compare decision
    bool askForSandboxedPath(bool left, QString *path);
    // Checks the three filter fields in use and makes their lists (include, exclude,
    // sub-folders); false after the alert of the first fault, with focus on its field.
    bool validateFolderFilters(const std::array<MyTokenTextList *, 3> &fields, bool regex,
                               std::array<FilterList, 3> *lists);
    void openFolderCompare(const QString &left, const QString &right, bool generatePatch,
                           std::array<FilterList, 3> lists, bool regex);
    bool openFileCompare(const QString &left, const QString &right, bool generatePatch);

    std::unique_ptr<Ui::MergeDocument> mUi;
    QPointer<platform::WindowController> mController;
    // A plain widget pointer: it is also read while the window is being destroyed.
    QPointer<QWidget> mWindow;
    Export_GenegatePatch_SettingView *mPatchView = nullptr;
    QStringList mSuggestFileList;
    QPointer<QLineEdit> mCurrentEdit;
    QPointer<QMenu> mHistoryMenu;
    QString mPathFromURL1, mPathFromURL2;
    // The list hid itself (while the user typed on, or when editing ended) and has not shown
    // since: the next Escape is taken as meant for it.
    bool mSuggestListHidItself = false;
    // A pop-up hid in this turn of the event loop (the Escape that closed it is no Escape for
    // the window).
    bool mPopupClosedThisTurn = false;
    bool mIsClosing = false;
    bool mWillCloseDone = false;
};
