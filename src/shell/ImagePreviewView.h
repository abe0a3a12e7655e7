#pragma once
// One side of the image compare window: the image of a file, scaled down to the view with its
// aspect kept. The file is decoded on a worker at the size the view needs (never the full
// picture for a large photograph), and the decoded image is cached, so a resize paints at once
// from the cache while the sharper image is decoded. Formats without a decoder, unreadable or
// damaged files and images whose decode would not fit the decode budget say so (the last with
// their size) instead of showing a picture.

#include "services/HeldFile.h"

#include <QFutureWatcher>
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <stop_token>

class ImagePreviewView : public QWidget
{
    Q_OBJECT
public:
    enum class State { Empty, Loading, Shown, NoPreview, TooLarge, Unreadable };

    explicit ImagePreviewView(QWidget *parent = nullptr);
    ~ImagePreviewView() override;

    // Shows the file held open: decoded from its descriptor, so the picture shown is of the very
    // file the caller judged. The same file, unchanged, is not decoded again.
    void setFile(std::shared_ptr<const HeldFile> file);
    void clear();
    QString file() const { return mFile ? mFile->path() : QString(); }
    State state() const { return mState; }
    // The image as decoded (at most the size needed for the view), null when none.
    const QImage &image() const { return mImage; }
    // Full size of the picture in the file, invalid when unknown.
    QSize sourceSize() const { return mSourceSize; }
    // The text shown instead of an image, empty while an image (or nothing) is shown.
    QString noteText() const;

    // Empties the process-wide cache of decoded images (tests).
    static void clearCache();

    QSize sizeHint() const override { return {320, 240}; }

signals:
    // A decode finished and its result is shown (image or note).
    void loaded();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Decoded
    {
        QImage image;
        QSize sourceSize;
        State state = State::Empty;
        bool damaged = false;   // unreadable: a part claims more bytes than the file holds
        bool cancelled = false; // a newer decode was asked for before this one ran
    };
    static Decoded decode(const HeldFile &file, QSize target, std::stop_token stop);

    QSize targetSize() const;
    bool needsSharperImage() const;
    void startDecode();
    void applyDecoded(quint64 generation, const Decoded &result);

    std::shared_ptr<const HeldFile> mFile;
    State mState = State::Empty;
    QImage mImage;
    QSize mSourceSize;
    bool mDamaged = false;
    QSize mDecodedFor; // the target size mImage was decoded for
    quint64 mGeneration = 0;
    // Stops the decode of the last request once a newer one is made (or the view goes).
    std::stop_source mStop;
    QFutureWatcher<Decoded> *mWatcher = nullptr;
    QTimer mResizeTimer;
};
