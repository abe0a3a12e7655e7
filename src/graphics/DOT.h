#pragma once
// One point of an editable outline: its position, the segment that leaves it (straight, or a
// cubic through two control points) and that segment's line style. Saved values let a run of
// transforms be measured from one state, so that dragging does not pile up rounding.

#include <QPointF>
#include <QVariant>
#include <memory>

namespace platform {
class AffineTransform;
}

class DOT
{
public:
    // The leaving segment is a cubic only with this type; any other value draws a line.
    static constexpr int kCurveType = 2;

    DOT();

    static std::shared_ptr<DOT> NewDot();
    static std::shared_ptr<DOT> DotFromPoint(QPointF point);
    // A copy; null for null.
    static std::shared_ptr<DOT> DotFromDot(const DOT *dot);

    // Position, style and control points travel; selection, the caller's value and the saved
    // values start afresh.
    std::shared_ptr<DOT> copy() const;

    void PasteTypeTo(DOT *other) const;
    void transform(const platform::AffineTransform *t);
    void transform_FromOldValue(const platform::AffineTransform *t);
    void resetOldValue();
    void restoreOldValue();

    QPointF p() const { return mP; }
    void setP(QPointF v) { mP = v; }
    int aLineDash() const { return mALineDash; }
    void setALineDash(int v) { mALineDash = v; }
    float aLinesize() const { return mALinesize; }
    void setALinesize(float v) { mALinesize = v; }
    // 0xRRGGBBAA.
    quint64 aLineColor() const { return mALineColor; }
    void setALineColor(quint64 v) { mALineColor = v; }
    QPointF aGroupPoint() const { return mAGroupPoint; }
    void setAGroupPoint(QPointF v) { mAGroupPoint = v; }
    bool bSelect() const { return mBSelect; }
    void setBSelect(bool v) { mBSelect = v; }
    QPointF curve1() const { return mCurve1; }
    void setCurve1(QPointF v) { mCurve1 = v; }
    QPointF curve2() const { return mCurve2; }
    void setCurve2(QPointF v) { mCurve2 = v; }
    int type() const { return mType; }
    void setType(int v) { mType = v; }
    int aLinesize_show_over() const { return mALinesizeShowOver; }
    void setALinesize_show_over(int v) { mALinesizeShowOver = v; }
    // Null when the caller stored nothing.
    QVariant customParam() const { return mCustomParam; }
    void setCustomParam(const QVariant &v) { mCustomParam = v; }
    QPointF old_p() const { return mOldP; }
    void setOld_p(QPointF v) { mOldP = v; }
    QPointF old_curve1() const { return mOldCurve1; }
    void setOld_curve1(QPointF v) { mOldCurve1 = v; }
    QPointF old_curve2() const { return mOldCurve2; }
    void setOld_curve2(QPointF v) { mOldCurve2 = v; }

private:
    QPointF mP{0, 0};
    int mALineDash = 0;
    float mALinesize = 1.0f;
    quint64 mALineColor = 255;
    QPointF mAGroupPoint{0, 0};
    bool mBSelect = false;
    QPointF mCurve1{-0.25, -0.25};
    QPointF mCurve2{0.25, -0.25};
    int mType = 0;
    int mALinesizeShowOver = 0;
    QVariant mCustomParam;
    QPointF mOldP{0, 0};
    QPointF mOldCurve1{-0.25, -0.25};
    QPointF mOldCurve2{0.25, -0.25};
};
