#pragma once
// The folder window's quick preview: a read-only window beside it showing the selected pair
// (texts with their differences, both images, or sizes and verdict). It holds a slot of the open
// compare windows, is never edited, and closes with the folder window.

#include "compare/CompItem.h"
#include "compare/ComparedTree.h"
#include "compare/LineCompare.h"
#include "platform/DecodeBudget.h"
#include "platform/ImageReader.h"
#include "textcompare/MergeWindow.h"

#include <QPointer>
#include <QRect>
#include <array>
#include <memory>
#include <stop_token>

class QLabel;
class QPlainTextEdit;
class QStackedWidget;

// Where a window of the size (frame included) goes beside a window's frame, inside the available
// part of a screen (shrunk to fit it when larger); an invalid available rect places it to the
// right as asked.
QRect PreviewPlacement(const QRect &beside, const QSize &size, const QRect &available);

// Both sides' pictures as the preview shows them, read on a worker. What they take stays
// counted in the decode budget until they are shown.
struct PreviewPictures
{
    std::array<platform::ViewImage, 2> side;
    std::shared_ptr<platform::DecodeReservation> held;
    bool cancelled = false; // a newer request came first
};

// Where the preview reads the files of a pair: each side by its route below its compared top
// folder, held open since the compare.
struct PreviewFiles
{
    ComparedTreePtr tree[2];
    TreeRoute route[2];
    // Side 0 or 1 opened as the compare judged it; not open when the side is not given or not
    // the file judged any more.
    platform::UniqueFd open(int side) const;
};

class MergeEditPreview : public MergeWindow
{
    Q_OBJECT
public:
    explicit MergeEditPreview(QObject *parent = nullptr);
    ~MergeEditPreview() override;

    bool IsPreviewMode() const override { return true; }
    bool WasEdit() const override { return false; }
    QString GetFile1() const override { return mFile1; }
    QString GetFile2() const override { return mFile2; }

    // Shows the window to the right of the given one, else to its left, always inside the
    // screen the given one is on.
    void showBeside(QWidget *other);
    // How the folder compare judged its pairs (its folder_compare_Mode: 0 size and date, 1 size,
    // 2 date, 3 content): said beside the verdict of each pair shown.
    void setCompareMode(int mode) { mCompareMode = mode; }
    // Shows the entry; the request shown before is dropped, and its reading stops where it
    // waits (for the worker, for the decode budget). path1 and path2 name the sides shown
    // (empty: none); files says how to read them.
    void showItem(const COMP_ITEM &item, const QString &path1, const QString &path2,
                  const PreviewFiles &files);
    void showNothing();
    // The entry shown (its ID; -1 when none), and whether the entry as it is now would show
    // differently (its verdict, kinds, sizes or dates changed).
    int shownId() const { return mShowsItem ? mShown.ID : -1; }
    bool showsOtherThan(const COMP_ITEM &item) const;

    // What the preview shows now: 0 nothing or sizes, 1 texts, 2 images.
    int currentPage() const;
    QString text(int side) const;
    // The name shown above a side's pane.
    QString title(int side) const;
    // The size of a side's picture (empty when none), and the note shown instead of it.
    QSize imageSize(int side) const;
    QString imageNote(int side) const;
    int blockCount() const { return mBlockCount; }
    // The line below the panes: the verdict, and what it was judged by.
    QString note() const;

signals:
    void contentShown();

protected:
    QWidget *makeWindow() override;
    void windowWillCloseEvent() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void dropRequest();
    void showInfo(const COMP_ITEM &item);
    void showPictures(const PreviewPictures &pictures, const std::array<QString, 2> &paths);
    void showTexts(const QString &text1, const QString &text2, const MergeBlockList &blocks);

    QStackedWidget *mPages = nullptr;
    QLabel *mInfo = nullptr;
    QLabel *mNote = nullptr;
    QLabel *mTitle[2] = {nullptr, nullptr};
    QPlainTextEdit *mText[2] = {nullptr, nullptr};
    QLabel *mImage[2] = {nullptr, nullptr};
    QString mFile1, mFile2;
    quint64 mRequest = 0;
    std::stop_source mStop; // of the request shown last
    COMP_ITEM mShown;
    bool mShowsItem = false;
    int mBlockCount = 0;
    int mCompareMode = 3;
    bool mClosed = false;
};
