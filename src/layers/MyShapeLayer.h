#pragma once
// One drawable vector shape of a layered drawing: an outline with a plain or gradient fill, a
// stroke with its width and dashes, an own transform applied when drawing, and a hidden flag.

#include "layers/MyGradient.h"
#include "platform/AffineTransform.h"
#include "platform/BezierPath.h"
#include "platform/Color.h"

#include <QList>
#include <QVariantMap>
#include <memory>
#include <optional>

class MyShapeLayer
{
public:
    MyShapeLayer() = default;
    virtual ~MyShapeLayer() = default;

    static std::shared_ptr<MyShapeLayer> create();
    // A plain shape layer, whatever class asks.
    static std::shared_ptr<MyShapeLayer> layer();

    // A new layer of the same class filled by copyDataToItem.
    virtual std::shared_ptr<MyShapeLayer> copy() const;
    // Everything but the importer's data; the gradient and the own transform are shared.
    virtual void copyDataToItem(MyShapeLayer *item) const;

    // The own transform goes into the path first (and is cleared), then the given one.
    void transform(const platform::AffineTransform *t);
    // Into the current graphics context; `save` keeps the context's state as it was.
    virtual void draw(bool save);
    // Joins a stroke-only layer made for the same outline into this fill-only one.
    bool mergeStrokeFromOtherStrokeOnlyShape(const MyShapeLayer *other);
    // The alpha of the fill colour, else of the stroke colour, else 1.
    virtual float getOpaque() const;

    bool hidden() const { return mHidden; }
    void setHidden(bool v) { mHidden = v; }
    float lineWidth() const { return mLineWidth; }
    void setLineWidth(float v) { mLineWidth = v; }
    float angleInsideSvg() const { return mAngleInsideSvg; }
    void setAngleInsideSvg(float v) { mAngleInsideSvg = v; }
    // None: no outline.
    const std::optional<platform::BezierPath> &path() const { return mPath; }
    void setPath(const std::optional<platform::BezierPath> &v) { mPath = v; }
    // An invalid colour is none.
    const platform::Color &fillColor() const { return mFillColor; }
    void setFillColor(const platform::Color &v) { mFillColor = v; }
    // Has priority over the fill colour when it has stops.
    const std::shared_ptr<MyGradient> &fillGradient() const { return mFillGradient; }
    void setFillGradient(std::shared_ptr<MyGradient> v) { mFillGradient = std::move(v); }
    // An invalid colour draws no stroke.
    const platform::Color &strokeColor() const { return mStrokeColor; }
    void setStrokeColor(const platform::Color &v) { mStrokeColor = v; }
    // Empty: a solid line.
    const QList<double> &lineDashPattern() const { return mLineDashPattern; }
    void setLineDashPattern(const QList<double> &v) { mLineDashPattern = v; }
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
    void setAdditionImportInforDic(const QVariantMap &v) { mAdditionImportInforDic = v; }

    bool hasElements() const { return mPath && !mPath->isEmpty(); }

protected:
    // The steps of drawing, inside the saved state and the own transform.
    virtual void drawFill();
    virtual void drawStroke();

private:
    bool drawGradient();

    bool mHidden = false;
    float mLineWidth = 1.0f;
    float mAngleInsideSvg = 0;
    std::optional<platform::BezierPath> mPath;
    platform::Color mFillColor;
    std::shared_ptr<MyGradient> mFillGradient;
    platform::Color mStrokeColor = platform::Color::black();
    QList<double> mLineDashPattern;
    std::shared_ptr<platform::AffineTransform> mAffineTransform;
    QVariantMap mAdditionImportInforDic;
};

using ShapeLayerList = QList<std::shared_ptr<MyShapeLayer>>;

// Every layer's outline with elements, in order, each through its own transform (the layers stay
// as they are); none when nothing has elements. Null entries are skipped.
std::optional<platform::BezierPath> MergeShapeLayerPaths(const ShapeLayerList &layers);
// The same without the layers' own transforms.
std::optional<platform::BezierPath> GetPathFromMyShapeLayerArray(const ShapeLayerList &layers);
// Applies the transform to every outline with elements and scales line widths (and the font
// sizes of diagram shapes) by its mean scale; the layers' own transforms stay.
void TransformShapeLayerArray(const ShapeLayerList &layers, const platform::AffineTransform *t);
