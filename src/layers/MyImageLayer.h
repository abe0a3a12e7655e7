#pragma once
// The bitmap member of a layered drawing: an image, or an image file read on first drawing,
// drawn into a rectangle with an opacity and an own transform.

#include "platform/AffineTransform.h"
#include "platform/Image.h"

#include <QRectF>
#include <QString>
#include <QVariantMap>
#include <memory>

class MyImageLayer
{
public:
    MyImageLayer() = default;

    static std::shared_ptr<MyImageLayer> create();
    static std::shared_ptr<MyImageLayer> layer();
    // Shares the image and the own transform; the importer's data starts empty.
    std::shared_ptr<MyImageLayer> copy() const;

    // Reads the file when there is no image yet; a file that holds no usable image is forgotten
    // together with the image, so it is not tried again.
    void draw(bool save);

    bool hidden() const { return mHidden; }
    void setHidden(bool v) { mHidden = v; }
    float image_opaque() const { return mImageOpaque; }
    void setImage_opaque(float v) { mImageOpaque = v; }
    const QString &imageFilePath() const { return mImageFilePath; }
    void setImageFilePath(const QString &v) { mImageFilePath = v; }
    const platform::ImagePtr &image() const { return mImage; }
    void setImage(platform::ImagePtr v) { mImage = std::move(v); }
    const std::shared_ptr<platform::AffineTransform> &affineTransform() const
    {
        return mAffineTransform;
    }
    void setAffineTransform(std::shared_ptr<platform::AffineTransform> v)
    {
        mAffineTransform = std::move(v);
    }
    QVariantMap &additionImportInforDic() { return mAdditionImportInforDic; }
    const QVariantMap &additionImportInforDic() const { return mAdditionImportInforDic; }
    QRectF imageDrawRect() const { return mImageDrawRect; }
    void setImageDrawRect(const QRectF &v) { mImageDrawRect = v; }

private:
    bool loadImage();

    bool mHidden = false;
    float mImageOpaque = 1.0f;
    QString mImageFilePath;
    platform::ImagePtr mImage;
    std::shared_ptr<platform::AffineTransform> mAffineTransform;
    QVariantMap mAdditionImportInforDic;
    QRectF mImageDrawRect;
};
