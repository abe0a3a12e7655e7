#include "foldercompare/MergeEditPreview.h"

#include "compare/LineCompare.h"
#include "compare/PatchDiffRunner.h"
#include "foldercompare/FolderCompareModel.h"
#include "foldercompare/PreviewHead.h"
#include "platform/Dispatch.h"
#include "platform/Guard.h"
#include "platform/ImageReader.h"
#include "platform/LocalPath.h"
#include "services/ImageViewNote.h"
#include "services/Localization.h"
#include "services/WorkerFailure.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QTextBlock>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// Pictures a decoder can only read whole are previewed up to this many pixels.
constexpr qint64 kPreviewPixels = 64LL * 1024 * 1024;

QString verdictText(int verdict)
{
    switch (verdict) {
    case COMP_RESULT_SAME:
        return L_(QStringLiteral("Same"));
    case COMP_RESULT_DIFFERENT:
        return L_(QStringLiteral("Different"));
    case COMP_RESULT_LEFT_ONLY:
        return L_(QStringLiteral("Left only"));
    case COMP_RESULT_RIGHT_ONLY:
        return L_(QStringLiteral("Right only"));
    case COMP_RESULT_GONE:
        return L_(QStringLiteral("Gone from both sides"));
    default:
        return L_(QStringLiteral("Not judged"));
    }
}

// The verdict as the preview states it. A pair judged by size or date was never read: the texts
// shown may differ where it says the same, and agree where it says different.
QString verdictNote(const COMP_ITEM &item, int compareMode)
{
    const QString verdict = verdictText(item.compareResult);
    const bool judgedWithoutContent =
        compareMode >= 0 && compareMode <= 2 && item.kind1 == Side_File &&
        item.kind2 == Side_File &&
        (item.compareResult == COMP_RESULT_SAME || item.compareResult == COMP_RESULT_DIFFERENT);
    if (!judgedWithoutContent)
        return verdict;
    const QString by = compareMode == 1   ? L_(QStringLiteral("by size"))
                       : compareMode == 2 ? L_(QStringLiteral("by date"))
                                          : L_(QStringLiteral("by size and date"));
    return verdict + QStringLiteral(" ") + by + QStringLiteral(": ") +
           L_(QStringLiteral("the contents were not compared"));
}

void markBlocks(QPlainTextEdit *edit, const MergeBlockList &blocks, int side, const QColor &bg)
{
    QList<QTextEdit::ExtraSelection> marks;
    for (const MERGE_BLOCK &b : blocks) {
        for (qint64 l = 0; l < b.lineCount[side]; ++l) {
            const QTextBlock block =
                edit->document()->findBlockByNumber(int(b.startLine[side] + l));
            if (!block.isValid())
                break;
            QTextEdit::ExtraSelection s;
            s.cursor = QTextCursor(block);
            s.format.setBackground(bg);
            s.format.setProperty(QTextFormat::FullWidthSelection, true);
            marks.append(s);
        }
    }
    edit->setExtraSelections(marks);
}

} // namespace

MergeEditPreview::MergeEditPreview(QObject *parent)
    : MergeWindow(QStringLiteral("MergeEditPreview"), parent)
{
    OpenCompareWindowList_Add(this);
}

MergeEditPreview::~MergeEditPreview()
{
    mIsClosing = true;
    OpenCompareWindowList_Remove(this);
}

QWidget *MergeEditPreview::makeWindow()
{
    auto *w = new QWidget();
    w->setWindowTitle(L_(QStringLiteral("Quick Preview")));
    w->resize(720, 520);
    auto *layout = new QVBoxLayout(w);
    layout->setContentsMargins(4, 4, 4, 4);
    // The names of the two files above their panes.
    auto *titles = new QHBoxLayout();
    for (int k = 0; k < 2; ++k) {
        mTitle[k] = new QLabel(w);
        mTitle[k]->setObjectName(k == 0 ? QStringLiteral("mTitle1") : QStringLiteral("mTitle2"));
        mTitle[k]->setTextFormat(Qt::PlainText);
        mTitle[k]->setAlignment(Qt::AlignCenter);
        mTitle[k]->setMinimumWidth(20);
        titles->addWidget(mTitle[k], 1);
    }
    layout->addLayout(titles);
    mPages = new QStackedWidget(w);
    layout->addWidget(mPages, 1);
    mInfo = new QLabel(mPages);
    mInfo->setAlignment(Qt::AlignCenter);
    mInfo->setWordWrap(true);
    mPages->addWidget(mInfo);
    auto *texts = new QSplitter(Qt::Horizontal, mPages);
    auto *images = new QSplitter(Qt::Horizontal, mPages);
    for (int k = 0; k < 2; ++k) {
        mText[k] = new QPlainTextEdit(texts);
        mText[k]->setReadOnly(true);
        mText[k]->setLineWrapMode(QPlainTextEdit::NoWrap);
        mText[k]->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        mImage[k] = new QLabel(images);
        mImage[k]->setAlignment(Qt::AlignCenter);
        mImage[k]->setMinimumSize(50, 50);
    }
    mPages->addWidget(texts);
    mPages->addWidget(images);
    mNote = new QLabel(w);
    mNote->setObjectName(QStringLiteral("mNote"));
    mNote->setTextFormat(Qt::PlainText);
    mNote->setWordWrap(true);
    layout->addWidget(mNote);
    return w;
}

QRect PreviewPlacement(const QRect &beside, const QSize &size, const QRect &available)
{
    constexpr int kGap = 8;
    const QPoint rightOf(beside.x() + beside.width() + kGap, beside.y());
    if (!available.isValid())
        return QRect(rightOf, size);
    const QSize fitted = size.boundedTo(available.size());
    QRect r(rightOf, fitted);
    // Right of the window, else left of it, else against the screen's right edge.
    if (r.right() > available.right())
        r.moveLeft(beside.x() - kGap - fitted.width());
    if (r.left() < available.left())
        r.moveLeft(available.right() - fitted.width() + 1);
    if (r.bottom() > available.bottom())
        r.moveBottom(available.bottom());
    if (r.top() < available.top())
        r.moveTop(available.top());
    return r;
}

void MergeEditPreview::showBeside(QWidget *other)
{
    QWidget *w = window();
    const auto place = [w, other] {
        QScreen *screen = other->screen();
        const QRect available = screen ? screen->availableGeometry() : QRect();
        // The frame adds to the size asked for; the rect placed is the whole window's. Until the
        // window manager has framed the preview, the folder window's frame stands for its own.
        const QMargins margins = platform::WindowController::expectedFrameMargins(w, other);
        const QSize extra(margins.left() + margins.right(), margins.top() + margins.bottom());
        const QRect r = PreviewPlacement(other->frameGeometry(), w->size() + extra, available);
        w->resize(r.size() - extra);
        w->move(r.topLeft());
    };
    if (other)
        place();
    showWindow();
    if (other) {
        place();                 // again, now that the frame is known
        other->activateWindow(); // the selection keeps following the keyboard
    }
}

int MergeEditPreview::currentPage() const
{
    return mPages ? mPages->currentIndex() : 0;
}

QString MergeEditPreview::note() const
{
    return mNote ? mNote->text() : QString();
}

QString MergeEditPreview::text(int side) const
{
    return mText[side == 1 ? 0 : 1] ? mText[side == 1 ? 0 : 1]->toPlainText() : QString();
}

QString MergeEditPreview::title(int side) const
{
    const QLabel *label = mTitle[side == 1 ? 0 : 1];
    return label ? label->text() : QString();
}

QSize MergeEditPreview::imageSize(int side) const
{
    const QLabel *label = mImage[side == 1 ? 0 : 1];
    return label ? label->pixmap().size() : QSize();
}

QString MergeEditPreview::imageNote(int side) const
{
    const QLabel *label = mImage[side == 1 ? 0 : 1];
    return label ? label->text() : QString();
}

void MergeEditPreview::showNothing()
{
    window();
    ++mRequest;
    mFile1.clear();
    mFile2.clear();
    mTitle[0]->clear();
    mTitle[1]->clear();
    mNote->clear();
    mInfo->setText(QString());
    mPages->setCurrentIndex(0);
}

void MergeEditPreview::showInfo(const COMP_ITEM &item)
{
    auto side = [](qint8 kind, qint64 size) {
        if (kind == Side_None)
            return L_(QStringLiteral("missing"));
        if (kind == Side_Folder)
            return L_(QStringLiteral("folder"));
        return QLocale().toString(size) + QStringLiteral(" ") + L_(QStringLiteral("bytes"));
    };
    // The verdict is the note below.
    mInfo->setText(
        CompItem_DisplayName(item.name()) + QStringLiteral("\n\n") + L_(QStringLiteral("Left")) +
        QStringLiteral(": ") + side(item.kind1, item.size1) + QStringLiteral("\n") +
        L_(QStringLiteral("Right")) + QStringLiteral(": ") + side(item.kind2, item.size2));
    mPages->setCurrentIndex(0);
}

platform::UniqueFd PreviewFiles::open(int side) const
{
    const int k = side == 0 ? 0 : 1;
    return tree[k] ? tree[k]->openFile(route[k]) : platform::UniqueFd();
}

void MergeEditPreview::showItem(const COMP_ITEM &item, const QString &path1, const QString &path2,
                                const PreviewFiles &files)
{
    GUARD_BEGIN
    window();
    const quint64 request = ++mRequest;
    mFile1 = path1;
    mFile2 = path2;
    const QString missing = L_(QStringLiteral("missing"));
    mTitle[0]->setText(item.onLeft() ? CompItem_DisplayName(item.itemName1) : missing);
    mTitle[1]->setText(item.onRight() ? CompItem_DisplayName(item.itemName2) : missing);
    window()->setWindowTitle(L_(QStringLiteral("Quick Preview")) + QStringLiteral(" - ") +
                             CompItem_DisplayName(item.name()));
    mNote->setText(verdictNote(item, mCompareMode));
    if (item.isFolder() || (path1.isEmpty() && path2.isEmpty())) {
        showInfo(item);
        emit contentShown();
        return;
    }
    showInfo(item); // until the content is read
    QPointer<MergeEditPreview> self(this);
    const bool image = item.itemType == ITEM_TYPE_IMAGE;
    // The size each image is decoded for, taken here: the worker touches no widget.
    QSize boxes[2];
    for (int k = 0; k < 2; ++k)
        boxes[k] = mImage[k]->size().expandedTo(QSize(200, 200));
    // A reader that stopped on an exception leaves the sizes and the verdict, and says so.
    const auto stopped = [self, request](const QString &why) {
        platform::performOnMainThread(
            [self, request, why] {
                if (!self || self->mIsClosing || request != self->mRequest)
                    return;
                self->mInfo->setText(self->mInfo->text() + QStringLiteral("\n\n") +
                                     L_(QStringLiteral("The preview stopped.")) + u'\n' + why);
                self->mPages->setCurrentIndex(0);
                emit self->contentShown();
            },
            false);
    };
    const auto read = [self, request, image, path1, path2, files, b1 = boxes[0], b2 = boxes[1]] {
        if (image) {
            const QString paths[2] = {path1, path2};
            const QSize box[2] = {b1, b2};
            platform::ViewImage read[2];
            for (int k = 0; k < 2; ++k) {
                if (paths[k].isEmpty())
                    continue;
                read[k] = platform::readOpenImageForView(files.open(k), box[k], kPreviewPixels);
                // A small picture fills its side too.
                if (!read[k].image.isNull())
                    read[k].image =
                        read[k].image.scaled(box[k], Qt::KeepAspectRatio, Qt::SmoothTransformation);
            }
            platform::performOnMainThread(
                [self, request, a = read[0], b = read[1], path1, path2] {
                    if (!self || self->mIsClosing || request != self->mRequest)
                        return;
                    const platform::ViewImage shown[2] = {a, b};
                    const bool given[2] = {!path1.isEmpty(), !path2.isEmpty()};
                    for (int k = 0; k < 2; ++k) {
                        if (!shown[k].image.isNull())
                            self->mImage[k]->setPixmap(QPixmap::fromImage(shown[k].image));
                        else if (given[k])
                            self->mImage[k]->setText(
                                ImageViewNote(shown[k].outcome, shown[k].sourceSize));
                        else
                            self->mImage[k]->clear();
                    }
                    self->mPages->setCurrentIndex(2);
                    emit self->contentShown();
                },
                false);
            return;
        }
        const PreviewHead head1 = ReadOpenPreviewHead(files.open(0)),
                          head2 = ReadOpenPreviewHead(files.open(1));
        const QString t1 = head1.text, t2 = head2.text;
        if (head1.binary || head2.binary) { // the sizes and the verdict stay shown
            platform::performOnMainThread(
                [self, request] {
                    if (self && !self->mIsClosing && request == self->mRequest)
                        emit self->contentShown();
                },
                false);
            return;
        }
        MergeBlockList blocks;
        if (head1.read && head2.read && head1.size <= kPreviewHeadBytes &&
            head2.size <= kPreviewHeadBytes) {
            if (auto out = RunDiffForOpenFiles(files.open(0), LocalPath_Shown(path1), files.open(1),
                                               LocalPath_Shown(path2), PatchDiffOptions()))
                if (auto parsed = ParseDiffNormalOutput(*out))
                    blocks = *parsed;
        }
        platform::performOnMainThread(
            [self, request, t1, t2, blocks] {
                if (!self || self->mIsClosing || request != self->mRequest)
                    return;
                self->mText[0]->setPlainText(t1);
                self->mText[1]->setPlainText(t2);
                const QColor base = QApplication::palette().color(QPalette::Base);
                const QColor mark =
                    base.lightness() < 128 ? QColor(90, 60, 20) : QColor(255, 236, 200);
                markBlocks(self->mText[0], blocks, 1, mark);
                markBlocks(self->mText[1], blocks, 2, mark);
                self->mBlockCount = int(blocks.size());
                self->mPages->setCurrentIndex(1);
                emit self->contentShown();
            },
            false);
    };
    (void)QtConcurrent::run(platform::imagePreviewPool(), WorkerGuarded("preview", read, stopped));
    GUARD_END_VOID
}

bool MergeEditPreview::eventFilter(QObject *watched, QEvent *event)
{
    // Escape closes the preview, as it closes from the list that opened it; the read-only panes
    // leave the key to their window.
    if (watched == window() && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            close();
            return true;
        }
    }
    return MergeWindow::eventFilter(watched, event);
}

void MergeEditPreview::windowWillCloseEvent()
{
    if (mClosed)
        return;
    mClosed = true;
    mIsClosing = true;
    OpenCompareWindowList_Remove(this);
    deleteLater();
}
