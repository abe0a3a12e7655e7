#pragma once
// The text compare window: both texts side by side in editable panes, the difference blocks of a
// line compare, stepping from block to block, taking one side for a block or for the whole text
// (undoable), editing and saving each side with its own encoding, byte-order mark, line end and
// permissions.
//
// The class is split by job: the window's wiring (MergeEditWndCtr.cpp), reading the files
// (_Load.cpp, on PaneLoader's workers), comparing (_Compare.cpp, on BlockCompare), stepping and
// taking blocks with the shared undo history (_Merge.cpp, PaneUndoHistory), saving and the
// questions it asks (_Save.cpp, on TextSideWriter), the ignore options, view settings and menus
// (_Options.cpp), the title, buttons and labels (_Status.cpp). PaneScrollSync keeps the panes
// side by side.

#include "compare/LineCompare.h"
#include "platform/NotificationCenter.h"
#include "platform/TextEncoding.h"
#include "services/TextFile.h"
#include "textcompare/BlockCharacterCompare.h"
#include "textcompare/BlockCompare.h"
#include "textcompare/MergeWindow.h"
#include "textcompare/MyLayoutManager.h"
#include "textcompare/PaneLoader.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QHash>
#include <QString>
#include <deque>
#include <functional>
#include <memory>

class QAction;
class QTextDocument;
class QCheckBox;
class QLabel;
class MyEditTextView;
class PaneScrollSync;
class PaneUndoHistory;
class MyLanguageInfo;
namespace Ui {
class MergeEditWndCtr;
}

class MergeEditWndCtr : public MergeWindow
{
    Q_OBJECT
public:
    explicit MergeEditWndCtr(const QString &windowNibName = QStringLiteral("MergeEditWndCtr"),
                             QObject *parent = nullptr);
    ~MergeEditWndCtr() override;

    // Set before showWindow(). A null path makes an untitled side.
    void setPreferEncoding1(platform::StringEncoding encoding) { mPreferEncoding1 = encoding; }
    void setPreferEncoding2(platform::StringEncoding encoding) { mPreferEncoding2 = encoding; }
    void setMFile1(const QString &path) { mFile1 = path; }
    void setMFile2(const QString &path) { mFile2 = path; }
    QString mFile1Path() const { return mFile1; }
    QString mFile2Path() const { return mFile2; }
    // With it on, the controller frees itself once its window has closed.
    void setShouldCloseDocument(bool on) { mShouldCloseDocument = on; }

    // Loads the window, reads both files, compares them and shows the result.
    void showWindow() override;
    // Run when the window becomes key: re-reads a file changed on disk (asking first when that
    // side was edited), then refreshes the buttons.
    void windowWillBeKey() override;

    void setCompareTextToView1(const QString &text);
    void setCompareTextToView2(const QString &text);

    // MergeWindow
    QString GetFile1() const override { return mFile1; }
    QString GetFile2() const override { return mFile2; }
    QString GetTextInView1() const override;
    QString GetTextInView2() const override;
    void RefreshCompare() override;
    bool WasEdit() const override { return mTextWasEdited1 || mTextWasEdited2; }
    QStringList EditedFiles() const override;
    bool IsPreviewMode() const override { return false; }

    void setDocumentEdited(bool edited);
    bool isDocumentEdited() const;
    void setMTextWasEdited1(bool edited);
    void setMTextWasEdited2(bool edited);
    bool mTextWasEdited(int side) const { return side == 1 ? mTextWasEdited1 : mTextWasEdited2; }

    // The tool-tip field of the window (hidden until the gutter shows a tip).
    QLabel *windowToolTipItem() const { return mToolTipItem; }

    // Asked before a view setting that slows down a very large text is turned on (wrapping
    // off, line numbers on, highlighting chosen from the language menu), with the longer pane's
    // length; false keeps the setting. The application installs it; without it every change is
    // allowed.
    static void setViewSettingGuard(std::function<bool(qint64)> guard);
    // Shows a text in a window's tool-tip field at a point of the screen (empty hides it); the
    // line-number gutters show their tips through it. Installed by the application.
    static void
    setToolTipShower(std::function<void(const QString &, const QPoint &, QWidget *)> shower);

    // The View menu's checked items, for this window's panes; false when the change was refused.
    bool Menu_SetWrapLines(bool wrap);
    bool Menu_SetShowLineNumbers(bool show);

    // Opens (or brings to the front) a start window of the folders the two files are in; with
    // bRunNow it starts that compare too. Nothing for an untitled side or files in one folder.
    Q_INVOKABLE void Merge_Compare_two_subdirectories(bool bRunNow);
    // How the window reaches the application for that; installed by the application.
    static void
    setFolderPairOpener(std::function<void(const QString &, const QString &, bool runNow)> opener);

    Q_INVOKABLE void Menu_ReloadWithEncoding(QAction *item);
    Q_INVOKABLE void Menu_Change_HightLightWithLanguage(QAction *item);

    // Blocks and stepping.
    const MergeBlockList &mergeBlocks() const { return mCompare->blocks(); }
    int currentBlock() const { return mCurrentBlock; }
    void selectBlock(int index);
    void Merge_Previous();
    void Merge_Next();
    // Takes side fromSide for the block (the current one for -1) or for the whole text, then
    // compares again. False when there is nothing to take.
    bool Merge_CopyBlock(int fromSide, int index = -1);
    bool Merge_CopyAll(int fromSide);

    // Writes one side to its file (asking for a path when the side is untitled). A side whose
    // file was not read, or whose path is not a regular file, is written only to a path the
    // user chooses; a refused save keeps the edits.
    bool SaveSide(int side);
    // Saves the side being edited: the pane with the focus, else the one last edited.
    bool Menu_Save();
    // Reads both files again in the encodings they are shown in, asking first when edited.
    bool Menu_Reload();

    // One undo history for both panes, in the order the edits were made: undo after taking a
    // block reverts that block whichever pane has the focus.
    bool Menu_Undo();
    bool Menu_Redo();
    bool canUndo() const;
    bool canRedo() const;
    // The pane the Edit menu and Save act on.
    int activeSide() const;

    LineCompareOptions compareOptions() const { return mOptions; }
    void setCompareOptions(const LineCompareOptions &options);

    MyEditTextView *textView(int side) const;
    Ui::MergeEditWndCtr &ui() { return *mUi; }
    // What the last compare ran on: the files themselves, or UTF-8 copies of the panes.
    bool lastCompareUsedFiles() const { return mCompare->usedFiles(); }
    // A line compare runs in the background; the blocks shown are those of the last one done.
    // The changed characters of the block selected are compared in the background too.
    bool isComparing() const { return mCompare->isRunning() || mCharacterCompare->isRunning(); }
    // The files are being read (showWindow() returns before they are).
    bool isLoading() const { return mLoadingFiles; }
    // How long each step of the last load took, in nanoseconds (read and decode of the slower
    // side, building its document, the compare), for the benchmarks.
    struct LoadTimings
    {
        qint64 readNs = 0, buildNs = 0, compareNs = 0;
    };
    LoadTimings loadTimings() const { return mLoadTimings; }
    // The blocks no longer match the texts (an edit since the last compare).
    bool blocksOutOfDate() const { return mCompare->isOutOfDate(); }
    // A block is about to be selected (shortly after a compare or a load finished).
    bool isBlockSelectionPending() const;
    QString lastCompareError() const { return mCompare->error(); }
    const TextFileInfo &fileInfo(int side) const { return side == 1 ? mSide1.info : mSide2.info; }

signals:
    // The blocks of a finished compare are shown.
    void compareApplied();

protected:
    QWidget *makeWindow() override;
    void windowDidLoad() override;
    void windowWillCloseEvent() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // How long after its blocks arrive a block is selected.
    static constexpr double kSelectDelay = 0.1;

    struct SideState
    {
        TextFileInfo info;
        bool readOk = false;
        bool textConverted = false; // line ends or NUL characters changed in memory
        // What the path led to when the file was last read or saved is info.identity.
        FileIdentity declined; // a change on disk the user chose not to read
    };

    // An ignore option's check box and menu item.
    struct OptionControl
    {
        QCheckBox *box;
        QAction *action;
        bool LineCompareOptions::*field;
    };
    SideState &state(int side) { return side == 1 ? mSide1 : mSide2; }
    QString &file(int side) { return side == 1 ? mFile1 : mFile2; }

    // The window's wiring (MergeEditWndCtr.cpp).
    void connectControls();
    void connectDocumentSignals(int side);
    void setButtonIcons();
    void layOutButtonBar();
    void applySplitShare();

    // Reading the files (_Load.cpp).
    void startLoad();
    void sideRead(int side, LoadedPane &loaded);
    // A side whose reader (loaded set: what sideRead is to take) or builder stopped on an
    // exception: its pane is emptied, and the side counts as unreadable, saved only by Save As.
    void failedSide(int side, const QString &why, LoadedPane *loaded);
    // Builds the whole document of a side whose head is shown, on a worker.
    void buildWholeSide(int side, const QString &text,
                        const std::shared_ptr<std::atomic<bool>> &cancelled, QThread *mainThread,
                        bool bigFile);
    // Runs step in an event-loop turn of its own, after the steps queued before it.
    void inOwnTurn(std::function<void()> step);
    void runOwnTurnStep();
    void sideBuilt(int side, QTextDocument *doc, const FoldMap *folds, qint64 buildNs);
    void adoptLoadedDocument(int side, QTextDocument *doc, qint64 gutterLines,
                             const FoldMap *folds = nullptr);
    void finishLoad();
    void applyLargeTextGuard();
    bool ReadSide(int side, platform::StringEncoding forcedEncoding, QStringList *nulFiles);
    void ReadFromFiles(platform::StringEncoding forcedEncoding);
    void ReadFromFiles(platform::StringEncoding encoding1, platform::StringEncoding encoding2);
    void loadPane(int side, const QString &text);
    void setCompareTextToView(int side, const QString &text);
    void warnAboutNulCharacters(const QStringList &files);
    void recordDiskState(int side);
    bool diskChanged(int side) const;
    // What a compare runs on for a side: the text read, while its pane may show only its head.
    QString compareSourceText(int side) const;

    // Comparing (_Compare.cpp).
    bool canCompareFilesThemselves() const;
    // Starts comparing the pane texts (cancelling a compare still running). When the blocks
    // arrive the first one is selected 0.1 s later when asked, then `then` runs.
    void DoCompare(bool selectFirstBlock = true, std::function<void()> then = {});
    // Compares again with nothing moving: the panes stay where they are, and the block shown
    // stays selected, or the one that now holds its lines; without one, Next goes on from there.
    void compareKeepingPlace();
    // The block of the new blocks that holds the lines of one shown before, or -1.
    int blockCovering(const MERGE_BLOCK &before) const;
    void showCompareResult(bool selectFirstBlock, const std::function<void()> &then);
    void cancelCompare();
    void updateStrips();
    void onTextEdited(int side);
    void updateEditedFromDocument(int side);
    void recompareAfterEdit(int side, std::function<void()> then = {});

    // Stepping, taking blocks and the shared undo history (_Merge.cpp).
    // Selects a block; with reveal, both its halves are brought into view.
    void showBlock(int index, bool reveal);
    void afterMerge(int mergedIndex);
    void undoCommandAdded(int side);
    void forgetUndoHistory(int side);
    bool undoOrRedo(bool redo);

    // Saving (_Save.cpp).
    bool windowShouldClose() override;
    // The side holds edits a close would lose (an untitled side only when it holds text).
    bool hasUnsavedText(int side) const;
    // The names the close question gives the sides with unsaved text, each once.
    QStringList unsavedSideNames() const;
    // Says why the text is not saved to path and offers a save panel; the chosen path or null.
    static QString askSaveAsInstead(const QString &path, const QString &why);
    // False when the side's file changed on disk since it was read and the user, asked, keeps it
    // (always: asks whenever it differs from *agreed). *agreed gets what the save may replace:
    // what the path leads to now.
    bool confirmReplacingChangedFile(int side, FileIdentity *agreed, bool always = false);

    // Ignore options, view settings and menus (_Options.cpp).
    std::vector<OptionControl> optionControls() const;
    void syncOptionControls();
    void loadOptions();
    void storeOptions();
    void fillMenus();
    // How the panes look by the preferences.
    struct ViewLook
    {
        QFont font;
        qreal tabStop = 0;
        bool wrap = false;
        bool lineNumbers = true;
        bool autoIndent = true;
        InvisibleMarks marks;
        QList<QColor> colours; // the theme's and the difference colours
    };
    ViewLook lookFromSettings() const;
    // Gives the panes the whole look of the preferences (but the window's own View choices).
    void applyViewSettings();
    // The preferences or the marks command may have changed how texts look: what changed since
    // the window last took them is applied, in place, and the texts are compared again only
    // when the blocks may differ.
    void settingsChanged();
    void applyLook(const ViewLook &look, bool everything);
    // The place to keep while the rows under the panes change: the block shown, on the rows of
    // the screen its halves start on; else the line at the top of each pane.
    struct PanePlace
    {
        double at[3] = {};
        int row[3] = {};
    };
    PanePlace panePlace() const;
    void restorePanePlace(const PanePlace &place);
    // The selected block, when some line of it is in view.
    const MERGE_BLOCK *shownBlock() const;
    void applyLanguage();
    std::shared_ptr<MyLanguageInfo> languageForFile(const QString &path) const;
    // The view setting guard's answer for the longer of the two texts.
    bool viewSettingAllowed() const;
    void syncViewMenu();
    void showGutterToolTip(const QString &text, const QPoint &globalPos);
    // Both files are named and lie in two different folders.
    bool canCompareFolders() const;
    // True when the file's text decodes in the encoding (or the file cannot be read at all).
    static bool fileFitsEncoding(const QString &path, platform::StringEncoding encoding);

    // Title, buttons and labels (_Status.cpp).
    void UpdateButtonStatus();
    void UpdateTitle();
    static void fitPathLabel(QLabel *label);
    void updateStatusLabels();
    void updateResultLabel();

    // The window.
    std::unique_ptr<Ui::MergeEditWndCtr> mUi;
    QLabel *mToolTipItem = nullptr;
    PaneScrollSync *mScrollSync = nullptr;
    bool mShouldCloseDocument = false;
    bool mClosed = false;
    int mLastActiveSide = 1;
    double mSplitShare = 0.5; // the left pane's part of the width of both panes
    platform::ObserverToken mFontObserver;

    // The sides.
    QString mFile1, mFile2;
    platform::StringEncoding mPreferEncoding1 = 0, mPreferEncoding2 = 0;
    SideState mSide1, mSide2;
    bool mTextWasEdited1 = false, mTextWasEdited2 = false;
    bool mLoading = false; // a pane's text is being replaced by one read
    bool mCheckingDisk = false;

    // Reading.
    bool mLoadingFiles = false;
    int mSidesReading = 0, mSidesBuilding = 0;
    QString mLoadedText1, mLoadedText2; // the texts read, until the panes hold them whole
    bool mSelectFirstAfterLoad = false;
    std::shared_ptr<std::atomic<bool>> mLoadCancel;
    QStringList mLoadNulFiles, mLoadFailedFiles;
    QHash<QString, QString> mLoadFailedWhy; // a reader or builder that stopped on an exception
    bool mLargeText = false;
    bool mShortcutHelpDone = false; // the keys' help comes once, after the first load
    LoadTimings mLoadTimings;
    std::deque<std::function<void()>> mOwnTurnSteps;

    // Comparing, stepping and undo.
    LineCompareOptions mOptions;
    BlockCompare *mCompare = nullptr;
    BlockCharacterCompare *mCharacterCompare = nullptr;
    int mCurrentBlock = -1;
    int mNavigationAnchor = 0; // where Next goes when no block is selected
    std::unique_ptr<PaneUndoHistory> mUndo;

    // The look last taken from the preferences, and the window's own View choices, which stand
    // until the user changes them in the window or the preference itself changes.
    ViewLook mLook;
    bool mWrapWanted = false;
    bool mLineNumbersWanted = true;

    // Syntax colouring chosen from the menu.
    std::shared_ptr<MyLanguageInfo> mChosenLanguage; // null: by file type
    bool mLanguageChosen = false;
};
