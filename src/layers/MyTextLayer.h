#pragma once
// A plain text of a layered drawing: one font, colour, opacity and decoration, drawn at a
// position under an own transform. Its drawing attributes are built once and kept until they
// are built again or cleared.

#include "layers/TextDrawing.h"
#include "platform/AffineTransform.h"
#include "platform/Color.h"

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVariantMap>
#include <memory>
#include <optional>

class MyTextLayer
{
public:
    MyTextLayer() = default;

    static std::shared_ptr<MyTextLayer> create();
    static std::shared_ptr<MyTextLayer> layer();
    // Shares the own transform; the tag name and the importer's data start empty.
    std::shared_ptr<MyTextLayer> copy() const;

    // Rebuilds the drawing attributes; none without a colour. The opacity is held to 0..1 and
    // stored back; below 0.99 it replaces the colour's alpha.
    void setupTextAttribute();
    // The box of the text drawn with the attributes (built when missing); empty for no text.
    QRectF getDrawBound();
    void draw(bool save);
    // What an exporter needs: the text's box and rotation after the own transform, the font size
    // scaled by it, the font's name and the colour word. False when an out value is missing, the
    // text is empty or no attributes can be built.
    bool getElementItemInfor(QRectF *outRect, float *outAngle, float *outFontSize,
                             QString *outFontName, quint64 *outFontColor);
    // Same font, colour, size (without fonts), opacity, alignment and decoration.
    bool SameFormatWith(const MyTextLayer *other) const;
    QPointF getPositionAfterTrans() const;

    bool underline() const { return mUnderline; }
    void setUnderline(bool v) { mUnderline = v; }
    bool lineThrough() const { return mLineThrough; }
    void setLineThrough(bool v) { mLineThrough = v; }
    bool hidden() const { return mHidden; }
    void setHidden(bool v) { mHidden = v; }
    float opaque() const { return mOpaque; }
    void setOpaque(float v) { mOpaque = v; }
    // The size of the system font used when there is no font; 0 is the system font's own size.
    float fontSize() const { return mFontSize; }
    void setFontSize(float v) { mFontSize = v; }
    float fontCharSpace() const { return mFontCharSpace; }
    void setFontCharSpace(float v) { mFontCharSpace = v; }
    const QString &string() const { return mString; }
    void setString(const QString &v) { mString = v; }
    const QString &tagName() const { return mTagName; }
    void setTagName(const QString &v) { mTagName = v; }
    const std::optional<QFont> &font() const { return mFont; }
    void setFont(const std::optional<QFont> &v) { mFont = v; }
    // An invalid colour draws nothing.
    const platform::Color &foregroundColor() const { return mForegroundColor; }
    void setForegroundColor(const platform::Color &v) { mForegroundColor = v; }
    // The platform's numbering: 0 left, 1 right, 2 centred, 3 justified, 4 natural.
    qint64 alignmentMode() const { return mAlignmentMode; }
    void setAlignmentMode(qint64 v) { mAlignmentMode = v; }
    const std::shared_ptr<platform::AffineTransform> &affineTransform() const
    {
        return mAffineTransform;
    }
    void setAffineTransform(std::shared_ptr<platform::AffineTransform> v)
    {
        mAffineTransform = std::move(v);
    }
    const std::optional<TextDrawAttributes> &textDrawAttr() const { return mTextDrawAttr; }
    void setTextDrawAttr(const std::optional<TextDrawAttributes> &v) { mTextDrawAttr = v; }
    QVariantMap &additionImportInforDic() { return mAdditionImportInforDic; }
    const QVariantMap &additionImportInforDic() const { return mAdditionImportInforDic; }
    QPointF position() const { return mPosition; }
    void setPosition(QPointF v) { mPosition = v; }
    QRectF bounds() const { return mBounds; }
    void setBounds(const QRectF &v) { mBounds = v; }

private:
    QFont effectiveFont() const;

    bool mUnderline = false;
    bool mLineThrough = false;
    bool mHidden = false;
    float mOpaque = 1.0f;
    float mFontSize = 0;
    float mFontCharSpace = 0;
    QString mString = QStringLiteral("");
    QString mTagName = QStringLiteral("");
    std::optional<QFont> mFont;
    platform::Color mForegroundColor = platform::Color::black();
    qint64 mAlignmentMode = 0;
    std::shared_ptr<platform::AffineTransform> mAffineTransform;
    std::optional<TextDrawAttributes> mTextDrawAttr;
    QVariantMap mAdditionImportInforDic;
    QPointF mPosition{0, 0};
    QRectF mBounds;
};

// The system font at the size; a size that is not above 0 keeps the system font's own size.
QFont SystemFontOfSize(double size);
// The box and angle of a text box after the transform (none: the identity), and the font size
// scaled by it, as both text layers report them.
void ReportTextBox(const platform::AffineTransform *transform, const QRectF &box, double pointSize,
                   QRectF *outRect, float *outAngle, float *outFontSize);
