#pragma once
// A rich text of a layered drawing: a document whose runs carry their own attributes, drawn at
// a position under an own transform.

#include "graphics/UtilityMathAngles.h"
#include "layers/MyTextLayer.h"
#include "platform/AffineTransform.h"

#include <QList>
#include <QPointF>
#include <QTextDocument>
#include <memory>

class MyRichTextLayer
{
public:
    MyRichTextLayer();

    static std::shared_ptr<MyRichTextLayer> create();
    // A copy of the text of its own, the same position, transform, flag and base line.
    std::shared_ptr<MyRichTextLayer> copy() const;

    void draw(bool save);
    // As the plain text layer reports, from the first font and colour of the text (the system
    // font at 12 points and black without them).
    bool getElementItemInfor(QRectF *outRect, float *outAngle, float *outFontSize,
                             QString *outFontName, quint64 *outFontColor) const;
    // Text layers are not merged: always none.
    static std::shared_ptr<MyRichTextLayer> merge_multi_MyTextLayer_for_pdf_only(
        const QList<std::shared_ptr<MyTextLayer>> &layers,
        QList<std::shared_ptr<MyTextLayer>> *outListOfMergeDoneItems);

    bool hidden() const { return mHidden; }
    void setHidden(bool v) { mHidden = v; }
    QTextDocument *string() { return mString.get(); }
    const QTextDocument *string() const { return mString.get(); }
    const std::shared_ptr<platform::AffineTransform> &affineTransform() const
    {
        return mAffineTransform;
    }
    void setAffineTransform(std::shared_ptr<platform::AffineTransform> v)
    {
        mAffineTransform = std::move(v);
    }
    QPointF position() const { return mPosition; }
    void setPosition(QPointF v) { mPosition = v; }
    // The base line an importer recorded, stored and copied only.
    LINE_ pdf_baseLine() const { return mPdfBaseLine; }
    void setPdf_baseLine(LINE_ v) { mPdfBaseLine = v; }

private:
    bool isEmpty() const;

    bool mHidden = false;
    std::unique_ptr<QTextDocument> mString;
    std::shared_ptr<platform::AffineTransform> mAffineTransform;
    QPointF mPosition{0, 0};
    LINE_ mPdfBaseLine;
};
