#pragma once
// A shape of an imported diagram: a shape layer with an identity number, group membership and
// sub-shapes, stored import codes (arrows, line pattern, inheritance, attachments), a rotation,
// a text block drawn inside the shape's bounds, and a linked image.

#include "layers/MyShapeLayer.h"
#include "layers/TextDrawing.h"

#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

class VisioShapeLayer : public MyShapeLayer
{
public:
    VisioShapeLayer();

    static std::shared_ptr<VisioShapeLayer> create();
    // The next identity number: shapes are numbered in the order they are made, copies included.
    static qint64 nextVisioID();

    std::shared_ptr<MyShapeLayer> copy() const override;
    // The shape-layer copy, then (into a diagram shape) the diagram fields but the identity, the
    // output item and the sub-shapes.
    void copyDataToItem(MyShapeLayer *item) const override;
    void copyTextDataToItem(VisioShapeLayer *item) const;

    // The outline as it was before the shape's rotation; none without elements.
    std::optional<platform::BezierPath> path_before_angleOfShape() const;
    // The name of an installed font for the text, bold and italic included; the requested name
    // is first mended by the table of known spellings.
    QString getValidFontName();
    // Builds the text attributes once; set them to none to have them built again.
    void setupTextAttribute();
    // Where the text goes: the outline's bounds, narrowed to the measured text by the alignments.
    QRectF GetDrawRect();
    void draw(bool save) override;
    // The linked image's path when the file exists, else a null string.
    QString getImageFilePath() const;
    float getOpaque() const override;

    qint64 visioID() const { return mVisioID; }
    void setVisioID(qint64 v) { mVisioID = v; }
    bool isGroup() const { return mIsGroup; }
    void setIsGroup(bool v) { mIsGroup = v; }
    float groupAngle() const { return mGroupAngle; }
    void setGroupAngle(float v) { mGroupAngle = v; }
    const QVariant &outputElementItem() const { return mOutputElementItem; }
    void setOutputElementItem(const QVariant &v) { mOutputElementItem = v; }
    ShapeLayerList &subs() { return mSubs; }
    const ShapeLayerList &subs() const { return mSubs; }
    void setSubs(const ShapeLayerList &v) { mSubs = v; }
    bool visio_inherit_StrokeColor() const { return mInheritStrokeColor; }
    void setVisio_inherit_StrokeColor(bool v) { mInheritStrokeColor = v; }
    bool visio_inherit_FillColor() const { return mInheritFillColor; }
    void setVisio_inherit_FillColor(bool v) { mInheritFillColor = v; }
    bool visio_inherit_LineWidth() const { return mInheritLineWidth; }
    void setVisio_inherit_LineWidth(bool v) { mInheritLineWidth = v; }
    int visio_BeginArrow() const { return mBeginArrow; }
    void setVisio_BeginArrow(int v) { mBeginArrow = v; }
    int visio_EndArrow() const { return mEndArrow; }
    void setVisio_EndArrow(int v) { mEndArrow = v; }
    int visio_BeginArrowSize() const { return mBeginArrowSize; }
    void setVisio_BeginArrowSize(int v) { mBeginArrowSize = v; }
    int visio_EndArrowSize() const { return mEndArrowSize; }
    void setVisio_EndArrowSize(int v) { mEndArrowSize = v; }
    int visio_LinePattern() const { return mLinePattern; }
    void setVisio_LinePattern(int v) { mLinePattern = v; }
    int visio_FillGradientDir() const { return mFillGradientDir; }
    void setVisio_FillGradientDir(int v) { mFillGradientDir = v; }
    float visio_FillGradientAngle() const { return mFillGradientAngle; }
    void setVisio_FillGradientAngle(float v) { mFillGradientAngle = v; }
    // -1: attached to nothing.
    int visio_AttachToShape1() const { return mAttachToShape1; }
    void setVisio_AttachToShape1(int v) { mAttachToShape1 = v; }
    int visio_AttachToShape2() const { return mAttachToShape2; }
    void setVisio_AttachToShape2(int v) { mAttachToShape2 = v; }
    double angleOfShape() const { return mAngleOfShape; }
    void setAngleOfShape(double v) { mAngleOfShape = v; }
    bool isConnector() const { return mIsConnector; }
    void setIsConnector(bool v) { mIsConnector = v; }
    const std::optional<TextDrawAttributes> &textDrawAttr() const { return mTextDrawAttr; }
    void setTextDrawAttr(const std::optional<TextDrawAttributes> &v) { mTextDrawAttr = v; }
    const QString &text() const { return mText; }
    void setText(const QString &v) { mText = v; }
    const QString &fontName() const { return mFontName; }
    void setFontName(const QString &v) { mFontName = v; }
    double fontSize() const { return mFontSize; }
    void setFontSize(double v) { mFontSize = v; }
    const platform::Color &textColor() const { return mTextColor; }
    void setTextColor(const platform::Color &v) { mTextColor = v; }
    bool textStrike() const { return mTextStrike; }
    void setTextStrike(bool v) { mTextStrike = v; }
    bool textUnderline() const { return mTextUnderline; }
    void setTextUnderline(bool v) { mTextUnderline = v; }
    bool textBold() const { return mTextBold; }
    void setTextBold(bool v) { mTextBold = v; }
    bool textItalic() const { return mTextItalic; }
    void setTextItalic(bool v) { mTextItalic = v; }
    // 0 left, 1 centred, 2 right, 3 justified (placed as centred).
    int textAlignX() const { return mTextAlignX; }
    void setTextAlignX(int v) { mTextAlignX = v; }
    // 0 at the minimum-y edge, 1 middle, 2 at the maximum-y edge.
    int textAlignY() const { return mTextAlignY; }
    void setTextAlignY(int v) { mTextAlignY = v; }
    const QString &imageFilePath() const { return mImageFilePath; }
    void setImageFilePath(const QString &v) { mImageFilePath = v; }
    QSizeF imageFilePath_ExpectSize() const { return mImageExpectSize; }
    void setImageFilePath_ExpectSize(QSizeF v) { mImageExpectSize = v; }

protected:
    // The size of the text laid out in the measuring box.
    virtual QSizeF measureText() const;
    virtual void drawText();

private:
    QRectF drawRectForTextSize(QSizeF textSize) const;

    qint64 mVisioID;
    bool mIsGroup = false;
    float mGroupAngle = 0;
    QVariant mOutputElementItem;
    ShapeLayerList mSubs;
    bool mInheritStrokeColor = true;
    bool mInheritFillColor = true;
    bool mInheritLineWidth = true;
    int mBeginArrow = 0;
    int mEndArrow = 0;
    int mBeginArrowSize = 2;
    int mEndArrowSize = 2;
    int mLinePattern = 1;
    int mFillGradientDir = 0;
    float mFillGradientAngle = 0;
    int mAttachToShape1 = -1;
    int mAttachToShape2 = -1;
    double mAngleOfShape = 0;
    bool mIsConnector = false;
    std::optional<TextDrawAttributes> mTextDrawAttr;
    QString mText;
    QString mFontName;
    double mFontSize = 12.0;
    platform::Color mTextColor = platform::Color::black();
    bool mTextStrike = false;
    bool mTextUnderline = false;
    bool mTextBold = false;
    bool mTextItalic = false;
    int mTextAlignX = 1;
    int mTextAlignY = 1;
    QString mImageFilePath;
    QSizeF mImageExpectSize;
};

// The listed name a requested font name stands for: the name itself, with its spaces made dashes,
// with its spaces removed, else the first listed name that holds it or that it holds; empty when
// none is listed.
QString FindListedFontName(const QString &requested, const QStringList &listed);
