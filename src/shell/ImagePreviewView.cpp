#include "shell/ImagePreviewView.h"

#include "services/Localization.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QResizeEvent>
#include <QtConcurrent/QtConcurrentRun>
#include <list>

namespace {

constexpr int kResizeSettleMs = 40;
constexpr int kCacheEntries = 24;
constexpr int kViewMargin = 4;

struct CacheKey
{
    QString path;
    qint64 size;
    QDateTime modified;
    QSize target;
    bool operator==(const CacheKey &o) const
    {
        return path == o.path && size == o.size && modified == o.modified && target == o.target;
    }
};

struct CacheEntry
{
    CacheKey key;
    QImage image;
    QSize sourceSize;
    int state;
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
    while (int(entries.size()) > kCacheEntries)
        entries.pop_back();
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
    ++mGeneration;
}

void ImagePreviewView::clearCache()
{
    cache().clear();
}

QString ImagePreviewView::noteText() const
{
    switch (mState) {
    case State::NoPreview:
        return L_(QStringLiteral("Preview not available for this format"));
    case State::TooLarge:
        return L_(QStringLiteral("The image is too large to preview"));
    case State::Unreadable:
        return L_(QStringLiteral("The image cannot be read"));
    default:
        return {};
    }
}

void ImagePreviewView::setFile(const QString &path)
{
    const QFileInfo info(path);
    const qint64 size = info.exists() ? info.size() : -1;
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    if (path == mPath && size == mFileSize && modified == mFileModified && mState != State::Empty)
        return;
    mPath = path;
    mFileSize = size;
    mFileModified = modified;
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
    mPath.clear();
    mFileSize = -1;
    mFileModified = QDateTime();
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
    const QSize target = targetSize();
    const CacheKey key{mPath, mFileSize, mFileModified, target};
    mDecodedFor = target;
    if (const CacheEntry *hit = cacheLookup(key)) {
        applyDecoded(generation, {hit->image, hit->sourceSize, State(hit->state)});
        return;
    }
    // One watcher per decode: a result that arrives after a newer request is dropped.
    auto *watcher = new QFutureWatcher<Decoded>(this);
    connect(watcher, &QFutureWatcher<Decoded>::finished, this, [this, watcher, generation, key] {
        watcher->deleteLater();
        const Decoded result = watcher->result();
        cacheInsert({key, result.image, result.sourceSize, int(result.state)});
        applyDecoded(generation, result);
    });
    const QString path = mPath;
    watcher->setFuture(QtConcurrent::run([path, target] { return decode(path, target); }));
}

void ImagePreviewView::applyDecoded(quint64 generation, const Decoded &result)
{
    if (generation != mGeneration)
        return;
    mImage = result.image;
    mSourceSize = result.sourceSize;
    mState = result.state;
    update();
    emit loaded();
}

ImagePreviewView::Decoded ImagePreviewView::decode(const QString &path, QSize target)
{
    Decoded out;
    // A FIFO or a device would block the worker until a writer came, and the application's exit
    // waits for every pool thread.
    if (!QFileInfo(path).isFile()) {
        out.state = State::Unreadable;
        return out;
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (!reader.canRead()) {
        // No decoder knows the format (a vector document, a camera raw file, ...).
        out.state = reader.error() == QImageReader::UnsupportedFormatError ? State::NoPreview
                                                                           : State::Unreadable;
        return out;
    }
    // Photographs often say in their metadata that they are to be shown turned a quarter; the
    // reader scales the picture as stored and turns it afterwards, while the view works with the
    // picture as shown.
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    const QSize stored = reader.size();
    const QSize full = turned ? stored.transposed() : stored;
    out.sourceSize = full;
    if (full.isValid()) {
        // Beyond the decoder's allocation limit: say so rather than try.
        const qint64 bytes = qint64(full.width()) * full.height() * 4;
        const qint64 limit = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
        const bool canScaleWhileReading = reader.supportsOption(QImageIOHandler::ScaledSize);
        if (limit > 0 && bytes > limit && !canScaleWhileReading) {
            out.state = State::TooLarge;
            return out;
        }
        if (full.width() > target.width() || full.height() > target.height()) {
            const QSize scaled = full.scaled(target, Qt::KeepAspectRatio).expandedTo({1, 1});
            reader.setScaledSize(turned ? scaled.transposed() : scaled);
        }
    }
    QImage image;
    if (!reader.read(&image)) {
        const qint64 limit = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
        const bool tooLarge =
            full.isValid() && limit > 0 && qint64(full.width()) * full.height() * 4 > limit;
        out.state = tooLarge ? State::TooLarge : State::Unreadable;
        return out;
    }
    if (!full.isValid())
        out.sourceSize = image.size();
    if (image.width() > target.width() || image.height() > target.height())
        image = image.scaled(target, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    out.image = std::move(image);
    out.state = State::Shown;
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
