#include "foldercompare/MergeEditPreview.h"

#include "compare/LineCompare.h"
#include "compare/PatchDiffRunner.h"
#include "foldercompare/FolderCompareModel.h"
#include "foldercompare/FolderVerdictText.h"
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
#include <QTimer>
#include <QWindow>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// Pictures a decoder can only read whole are previewed up to this many pixels.
constexpr qint64 kPreviewPixels = 64LL * 1024 * 1024;

// A small picture is made to fill its box; the larger copy is counted in the budget before it is
// made, and the small one given back once it has gone. False when the stop came first.
bool enlargeToFill(QImage &image, QSize box, platform::DecodeReservation &held,
                   const std::stop_token &stop)
{
    const QSize filled = image.size().scaled(box, Qt::KeepAspectRatio);
    if (filled.width() <= image.width() || filled.height() <= image.height())
        return true;
    platform::DecodeReservation more = platform::reserveDecodeMemory(
        qint64(filled.width()) * filled.height() * 4, stop, held.bytes());
    if (!more.isValid())
        return !stop.stop_requested(); // beyond the budget: shown as read
    const qint64 small = image.sizeInBytes();
    image = image.scaled(filled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    held.absorb(std::move(more));
    held.shrinkTo(held.bytes() - small);
    return true;
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

PreviewPictures readPictures(const std::array<QString, 2> &paths, const PreviewFiles &files,
                             const std::array<QSize, 2> &boxes, const std::stop_token &stop)
{
    PreviewPictures out;
    out.held = std::make_shared<platform::DecodeReservation>();
    for (size_t k = 0; k < 2; ++k) {
        if (paths[k].isEmpty())
            continue;
        platform::ViewImage &side = out.side[k];
        // The first side's picture is held, and counted, while the second decodes.
        // Read from the file the compare judged, reached below its top folder.
        const platform::UniqueFd file = files.open(int(k));
        side = platform::readOpenImageForView(file.get(), boxes[k], kPreviewPixels,
                                              {out.held.get(), stop});
        out.cancelled =
            side.outcome == platform::ViewImage::Outcome::Cancelled ||
            (!side.image.isNull() && !enlargeToFill(side.image, boxes[k], *out.held, stop));
        if (out.cancelled)
            return out;
    }
    return out;
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
    mStop.request_stop();
    OpenCompareWindowList_Remove(this);
}

QWidget *MergeEditPreview::makeWindow()
{
    auto *w = new QWidget();
    w->setWindowTitle(L_(QStringLiteral("Quick Preview")));
    // The keyboard stays with the list the preview follows: a window manager would otherwise
    // give it to the new window.
    w->setAttribute(Qt::WA_ShowWithoutActivating);
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
        mText[k]->installEventFilter(this);
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
    // Shown, not activated: the keyboard stays with the list. Kept above the folder window it
    // belongs to, which it may overlap on a small screen.
    if (other && other->window()->windowHandle()) {
        w->winId();
        w->windowHandle()->setTransientParent(other->window()->windowHandle());
    }
    w->show();
    w->raise();
    if (other) {
        place();                 // again, now that the frame is known
        other->activateWindow(); // the selection keeps following the keyboard
        // A window manager may map a window it did not focus below the focused one.
        QTimer::singleShot(100, w, [w] { w->raise(); });
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
    dropRequest();
    mShowsItem = false;
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

void MergeEditPreview::dropRequest()
{
    ++mRequest;
    mStop.request_stop();
    mStop = std::stop_source();
}

bool MergeEditPreview::showsOtherThan(const COMP_ITEM &item) const
{
    // What the preview shows of an entry: its names, kinds, sizes, dates and verdict.
    const COMP_ITEM &s = mShown;
    return !mShowsItem || s.ID != item.ID || s.itemName1 != item.itemName1 ||
           s.itemName2 != item.itemName2 || s.kind1 != item.kind1 || s.kind2 != item.kind2 ||
           s.size1 != item.size1 || s.size2 != item.size2 || s.date1 != item.date1 ||
           s.date2 != item.date2 || s.compareResult != item.compareResult ||
           s.itemType != item.itemType || s.customMultiPurposeInfo != item.customMultiPurposeInfo;
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
    dropRequest();
    const quint64 request = mRequest;
    mShown = item;
    mShowsItem = true;
    mFile1 = path1;
    mFile2 = path2;
    const QString missing = L_(QStringLiteral("missing"));
    mTitle[0]->setText(item.onLeft() ? CompItem_DisplayName(item.itemName1) : missing);
    mTitle[1]->setText(item.onRight() ? CompItem_DisplayName(item.itemName2) : missing);
    window()->setWindowTitle(L_(QStringLiteral("Quick Preview")) + QStringLiteral(" - ") +
                             CompItem_DisplayName(item.name()));
    mNote->setText(FolderVerdictNote(item, mCompareMode));
    if (item.isFolder() || (path1.isEmpty() && path2.isEmpty())) {
        showInfo(item);
        emit contentShown();
        return;
    }
    showInfo(item); // until the content is read
    QPointer<MergeEditPreview> self(this);
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
    const std::stop_token stop = mStop.get_token();
    if (item.itemType == ITEM_TYPE_IMAGE) {
        // The size each image is decoded for, taken here: the worker touches no widget.
        const std::array<QSize, 2> boxes = {mImage[0]->size().expandedTo(QSize(200, 200)),
                                            mImage[1]->size().expandedTo(QSize(200, 200))};
        const auto read = [self, request, stop, paths = std::array{path1, path2}, files, boxes] {
            // A newer selection waits: this one is dropped before it decodes anything.
            if (stop.stop_requested())
                return;
            PreviewPictures pictures = readPictures(paths, files, boxes, stop);
            if (pictures.cancelled)
                return;
            platform::performOnMainThread(
                [self, request, pictures = std::move(pictures), paths] {
                    if (self && !self->mIsClosing && request == self->mRequest)
                        self->showPictures(pictures, paths);
                },
                false);
        };
        (void)QtConcurrent::run(platform::imagePreviewPool(),
                                WorkerGuarded("preview", read, stopped));
        return;
    }
    const auto read = [self, request, stop, path1, path2, files] {
        if (stop.stop_requested())
            return;
        const PreviewHead head1 = ReadOpenPreviewHead(files.open(0)),
                          head2 = ReadOpenPreviewHead(files.open(1));
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
            head2.size <= kPreviewHeadBytes && !stop.stop_requested()) {
            if (auto out = RunDiffForOpenFiles(files.open(0), LocalPath_Shown(path1), files.open(1),
                                               LocalPath_Shown(path2), PatchDiffOptions()))
                if (auto parsed = ParseDiffNormalOutput(*out))
                    blocks = *parsed;
        }
        if (stop.stop_requested())
            return;
        platform::performOnMainThread(
            [self, request, t1 = head1.text, t2 = head2.text, blocks] {
                if (self && !self->mIsClosing && request == self->mRequest)
                    self->showTexts(t1, t2, blocks);
            },
            false);
    };
    (void)QtConcurrent::run(platform::imagePreviewPool(), WorkerGuarded("preview", read, stopped));
    GUARD_END_VOID
}

void MergeEditPreview::showPictures(const PreviewPictures &pictures,
                                    const std::array<QString, 2> &paths)
{
    for (int k = 0; k < 2; ++k) {
        const platform::ViewImage &shown = pictures.side[size_t(k)];
        if (!shown.image.isNull())
            mImage[k]->setPixmap(QPixmap::fromImage(shown.image));
        else if (!paths[size_t(k)].isEmpty())
            mImage[k]->setText(ImageViewNote(shown.outcome, shown.sourceSize));
        else
            mImage[k]->clear();
    }
    mPages->setCurrentIndex(2);
    emit contentShown();
}

void MergeEditPreview::showTexts(const QString &text1, const QString &text2,
                                 const MergeBlockList &blocks)
{
    mText[0]->setPlainText(text1);
    mText[1]->setPlainText(text2);
    const QColor base = QApplication::palette().color(QPalette::Base);
    const QColor mark = base.lightness() < 128 ? QColor(90, 60, 20) : QColor(255, 236, 200);
    markBlocks(mText[0], blocks, 1, mark);
    markBlocks(mText[1], blocks, 2, mark);
    mBlockCount = int(blocks.size());
    mPages->setCurrentIndex(1);
    emit contentShown();
}

bool MergeEditPreview::eventFilter(QObject *watched, QEvent *event)
{
    // Escape and Space close the preview, as they close it from the list that opened it. The
    // read-only panes would page down on Space: it is taken before they see it.
    const bool pane = watched == mText[0] || watched == mText[1];
    if ((watched == window() || pane) && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Escape || key->key() == Qt::Key_Space) &&
            key->modifiers() == Qt::NoModifier) {
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
    mStop.request_stop(); // a read still waiting is not wanted any more
    OpenCompareWindowList_Remove(this);
    deleteLater();
}
