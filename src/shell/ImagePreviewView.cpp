#include "shell/ImagePreviewView.h"

#include "platform/ImageReader.h"
#include "platform/PixelLimits.h"
#include "services/ImageViewNote.h"
#include "services/WorkerFailure.h"

#include <QPainter>
#include <QResizeEvent>
#include <QtConcurrent/QtConcurrentRun>
#include <list>

namespace {

constexpr int kResizeSettleMs = 40;
constexpr int kCacheEntries = 24;
// The cached pictures together: a few windows' worth at the size of a large screen.
constexpr qint64 kCacheBytes = qint64(96) << 20;
constexpr int kViewMargin = 4;

// The file by what it is, not by its name: two files of one name, size and time (one swapped
// for the other) never share a picture.
struct CacheKey
{
    FileStamp file;
    QSize target;
    bool operator==(const CacheKey &o) const = default;
};

struct CacheEntry
{
    CacheKey key;
    QImage image;
    QSize sourceSize;
    int state;
    bool damaged;
};

// Decoded images by file and view size, most recent first. Main thread only.
std::list<CacheEntry> &cache()
{
    static std::list<CacheEntry> entries;
    return entries;
}

const CacheEntry *cacheLookup(const CacheKey &key)
{
    auto &entries = cache();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->key == key) {
            entries.splice(entries.begin(), entries, it);
            return &entries.front();
        }
    }
    return nullptr;
}

void cacheInsert(CacheEntry entry)
{
    auto &entries = cache();
    entries.push_front(std::move(entry));
    qint64 bytes = 0;
    int kept = 0;
    for (auto it = entries.begin(); it != entries.end();) {
        bytes += it->image.sizeInBytes();
        // The newest entry stays whatever its size: it is the one being shown.
        if (kept > 0 && (kept >= kCacheEntries || bytes > kCacheBytes)) {
            it = entries.erase(it);
            continue;
        }
        ++kept;
        ++it;
    }
}

} // namespace

ImagePreviewView::ImagePreviewView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(80, 60);
    mResizeTimer.setSingleShot(true);
    mResizeTimer.setInterval(kResizeSettleMs);
    connect(&mResizeTimer, &QTimer::timeout, this, [this] {
        if (needsSharperImage())
            startDecode();
    });
}

ImagePreviewView::~ImagePreviewView()
{
    // A decode still running finishes on its worker; its result is dropped with the watcher.
    // One still waiting for the decode budget gives up.
    ++mGeneration;
    mStop.request_stop();
}

void ImagePreviewView::clearCache()
{
    cache().clear();
}

QString ImagePreviewView::noteText() const
{
    using Outcome = platform::ViewImage::Outcome;
    switch (mState) {
    case State::NoPreview:
        return ImageViewNote(Outcome::NoDecoder, {});
    case State::TooLarge:
        return ImageViewNote(Outcome::TooLarge, mSourceSize);
    case State::Unreadable:
        return ImageViewNote(mDamaged ? Outcome::Damaged : Outcome::Unreadable, {});
    default:
        return {};
    }
}

void ImagePreviewView::setFile(std::shared_ptr<const HeldFile> file)
{
    if (!file)
        return clear();
    if (mFile && file->path() == mFile->path() && file->identity() == mFile->identity() &&
        file->isRegularFile() == mFile->isRegularFile() && mState != State::Empty)
        return;
    mFile = std::move(file);
    mImage = QImage();
    mSourceSize = QSize();
    mDecodedFor = QSize();
    mState = State::Loading;
    startDecode();
    update();
}

void ImagePreviewView::clear()
{
    ++mGeneration;
    mStop.request_stop();
    mFile.reset();
    mImage = QImage();
    mSourceSize = QSize();
    mDecodedFor = QSize();
    mState = State::Empty;
    update();
}

QSize ImagePreviewView::targetSize() const
{
    QSize s = size() - QSize(2 * kViewMargin, 2 * kViewMargin);
    if (s.width() < 16 || s.height() < 16)
        s = sizeHint();
    return (QSizeF(s) * devicePixelRatioF()).toSize();
}

bool ImagePreviewView::needsSharperImage() const
{
    if (mState != State::Shown || mImage.isNull() || !mSourceSize.isValid())
        return false;
    // Already the whole picture: nothing sharper to get.
    if (mImage.width() >= mSourceSize.width() && mImage.height() >= mSourceSize.height())
        return false;
    const QSize wanted = mSourceSize.scaled(targetSize(), Qt::KeepAspectRatio);
    return wanted.width() > mImage.width() + 1 || wanted.height() > mImage.height() + 1;
}

void ImagePreviewView::startDecode()
{
    const quint64 generation = ++mGeneration;
    // The decode asked for before is no longer wanted: it gives up if it has not started.
    mStop.request_stop();
    mStop = std::stop_source();
    const QSize target = targetSize();
    const CacheKey key{mFile ? mFile->identity().file : FileStamp(), target};
    mDecodedFor = target;
    // Only a regular file held open has a picture worth keeping.
    const bool cached = mFile && mFile->isRegularFile();
    if (const CacheEntry *hit = cached ? cacheLookup(key) : nullptr) {
        applyDecoded(generation,
                     {hit->image, hit->sourceSize, State(hit->state), hit->damaged, false});
        return;
    }
    // One watcher per decode: a result that arrives after a newer request is dropped.
    auto *watcher = new QFutureWatcher<Decoded>(this);
    connect(watcher, &QFutureWatcher<Decoded>::finished, this,
            [this, watcher, generation, key, cached] {
                watcher->deleteLater();
                // A decoder that stopped on an exception shows the picture as unreadable, not
                // cached.
                const std::optional<Decoded> decoded =
                    TakeFinishedResult("preview", watcher->future());
                if (decoded && decoded->cancelled)
                    return;
                Decoded result;
                result.state = State::Unreadable;
                if (decoded) {
                    result = *decoded;
                    if (cached)
                        cacheInsert({key, result.image, result.sourceSize, int(result.state),
                                     result.damaged});
                }
                applyDecoded(generation, result);
            });
    // The worker holds the file open for as long as it decodes, whatever the view does meanwhile.
    std::shared_ptr<const HeldFile> file = mFile;
    watcher->setFuture(
        QtConcurrent::run(platform::imagePreviewPool(), [file, target, stop = mStop.get_token()] {
            WorkerFaultPoint("preview");
            return file ? decode(*file, target, stop)
                        : Decoded{{}, {}, State::Unreadable, false, false};
        }));
}

void ImagePreviewView::applyDecoded(quint64 generation, const Decoded &result)
{
    if (generation != mGeneration)
        return;
    mImage = result.image;
    mSourceSize = result.sourceSize;
    mState = result.state;
    mDamaged = result.damaged;
    update();
    emit loaded();
}

ImagePreviewView::Decoded ImagePreviewView::decode(const HeldFile &file, QSize target,
                                                   std::stop_token stop)
{
    using Outcome = platform::ViewImage::Outcome;
    platform::ViewImage read = platform::readOpenImageForView(
        file.fd(), target, platform::kMaxViewPixels, {nullptr, stop});
    Decoded out;
    out.image = std::move(read.image);
    out.sourceSize = read.sourceSize;
    switch (read.outcome) {
    case Outcome::Read:
        out.state = State::Shown;
        break;
    case Outcome::NoDecoder:
        out.state = State::NoPreview;
        break;
    case Outcome::TooLarge:
        out.state = State::TooLarge;
        break;
    case Outcome::Damaged:
        out.damaged = true;
        out.state = State::Unreadable;
        break;
    case Outcome::Unreadable:
        out.state = State::Unreadable;
        break;
    case Outcome::Cancelled:
        out.cancelled = true;
        break;
    }
    return out;
}

void ImagePreviewView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (mState == State::Shown)
        mResizeTimer.start();
}

void ImagePreviewView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRect area = rect().adjusted(kViewMargin, kViewMargin, -kViewMargin, -kViewMargin);
    if (mState == State::Shown && !mImage.isNull()) {
        // The picture at its own size, or smaller to fit, centred.
        QSize natural = mSourceSize.isValid() ? mSourceSize : mImage.size();
        if (mImage.size() != natural && (mImage.width() > natural.width()))
            natural = mImage.size();
        const QSize shown = natural.width() > area.width() || natural.height() > area.height()
                                ? natural.scaled(area.size(), Qt::KeepAspectRatio)
                                : natural;
        QRect target(QPoint(0, 0), shown);
        target.moveCenter(area.center());
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, mImage);
        return;
    }
    const QString note = noteText();
    if (!note.isEmpty()) {
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, note);
    }
}
