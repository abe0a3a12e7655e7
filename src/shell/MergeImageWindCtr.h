#pragma once
// The image compare window: two image files side by side, whether their bytes are equal, and a
// choice of one side for both, saved by copying the chosen file over the other one. Nothing is
// compared pixel by pixel and nothing is written before Save.
//
// Each side's name is looked up once per verdict and its file held open (services/HeldFile): the
// verdict, both views and the copy a save makes all read that one descriptor, so what is shown is
// what is copied, and a save writes over a side only while its name leads to the file shown.

#include "services/HeldFile.h"
#include "textcompare/MergeWindow.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <memory>

namespace Ui {
class MergeImageWindCtr;
}

class MergeImageWindCtr : public MergeWindow
{
    Q_OBJECT
public:
    explicit MergeImageWindCtr(const QString &windowNibName = QStringLiteral("MergeImageWindCtr"),
                               QObject *parent = nullptr);
    ~MergeImageWindCtr() override;

    // Set before showWindow().
    void setMFile1(const QString &path) { mFile1 = path; }
    void setMFile2(const QString &path) { mFile2 = path; }
    QString mFile1Path() const { return mFile1; }
    QString mFile2Path() const { return mFile2; }
    // The files each side shows now: its own, or the other side's after a choice.
    QString mFileCurrent1Path() const { return mFileCurrent1; }
    QString mFileCurrent2Path() const { return mFileCurrent2; }
    // -1 while not judged yet, 0 different, 1 equal.
    int isEqual() const { return mIsEqual; }
    // With it on, the controller frees itself once its window has closed.
    void setShouldCloseDocument(bool on) { mShouldCloseDocument = on; }

    void showWindow() override;

    // MergeWindow
    QString GetFile1() const override { return mFile1; }
    QString GetFile2() const override { return mFile2; }
    void RefreshCompare() override {}
    bool WasEdit() const override;
    // The files a save would replace.
    QStringList EditedFiles() const override;

    void ReadFromFiles();
    bool showResult();
    // Run when the window becomes key: asks to reload a file changed on disk.
    void windowWillBeKey() override;
    void Merge_ChooseLeft();
    void Merge_ChooseRight();
    void Merge_Restore();
    // Saves the choice and closes the window; a failed copy is shown and the window stays.
    void Merge_Save();
    // Copies each chosen file over the other side's file, on a worker behind a progress dialog
    // with Cancel. False (the files untouched, the reason in lastSaveError(), empty after a
    // Cancel) when a file is missing, a file is no longer what the window read, or a copy failed.
    bool SaveFile();
    QString lastSaveError() const { return mLastSaveError; }
    void UpdateButtonStatus();
    void UpdateTitle();
    // True when the window may close now; otherwise the save question is opened on the window.
    bool windowShouldClose() override;
    // Closes as the close box does (asking first when a choice is unsaved).
    void closeTab();

    Ui::MergeImageWindCtr &ui() { return *mUi; }
    // The save question while it is open (tests answer it).
    QMessageBox *closeQuestion() const { return mCloseQuestion; }

signals:
    // The pair was judged (equal or different).
    void verdictChanged();

protected:
    QWidget *makeWindow() override;
    void windowDidLoad() override;
    void windowWillCloseEvent() override;

private:
    bool leftChosen() const { return mFileCurrent2 == mFile1; }
    bool rightChosen() const { return mFileCurrent1 == mFile2; }
    bool untouched() const { return mFileCurrent1 == mFile1 && mFileCurrent2 == mFile2; }
    bool allPathsSet() const;
    void judge();
    void showVerdict();
    // Looks each path up and holds what it leads to, for the verdict, the views and a save.
    void recordDiskStates();
    // The file held for a path shown (one of the two sides' own); null before the first verdict.
    std::shared_ptr<const HeldFile> heldFor(const QString &path) const;
    // Copies the file held for source over target; false with mLastSaveError and mSaveMetChange
    // set as SaveFile says.
    bool copyOver(const std::shared_ptr<const HeldFile> &source, const QString &target,
                  FileIdentity *targetRead);
    bool sideChangedOnDisk(const QString &path, const FileIdentity &read) const;
    // Asks whether to read the files again as they are now; true when they were.
    bool askToReload();
    void closeWithoutAsking();
    void answerCloseQuestion(int button);

    std::unique_ptr<Ui::MergeImageWindCtr> mUi;
    QString mFile1, mFile2;
    QString mFileCurrent1, mFileCurrent2;
    int mIsEqual = -1;
    quint64 mJudgeGeneration = 0;
    bool mIsCompareSameFileName = true;
    std::shared_ptr<const HeldFile> mHeld1, mHeld2;
    FileIdentity mOld1, mOld2; // not known: not watched
    QString mLastSaveError;
    bool mSaveMetChange = false; // the last save found a file changed since it was read
    bool mShouldCloseDocument = false;
    bool mCloseWithoutAsking = false;
    bool mClosed = false;
    bool mAskingReload = false;
    bool mSaving = false; // a copy runs behind its progress dialog
    QPointer<QMessageBox> mCloseQuestion;
};
