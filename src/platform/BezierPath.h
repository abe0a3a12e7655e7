#pragma once
// A vector path in the original platform's model: a list of elements (move, line, cubic curve,
// close) with its own drawing attributes. QPainterPath serves only to fill, stroke and hit-test,
// since it has no close element of its own.

#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <array>
#include <optional>

namespace platform {

class AffineTransform;

enum class BezierPathElement { MoveTo, LineTo, CurveTo, ClosePath };
enum class WindingRule { NonZero, EvenOdd };
enum class LineCapStyle { Butt, Round, Square };
enum class LineJoinStyle { Miter, Round, Bevel };

class BezierPath
{
public:
    struct Element
    {
        BezierPathElement type = BezierPathElement::MoveTo;
        // MoveTo/LineTo: points[0]; CurveTo: control 1, control 2, end point; ClosePath: none.
        std::array<QPointF, 3> points{};
        // Exact, unlike QPointF's own fuzzy comparison, so that equal paths hash alike.
        bool operator==(const Element &o) const
        {
            if (type != o.type)
                return false;
            for (size_t i = 0; i < points.size(); ++i) {
                if (points[i].x() != o.points[i].x() || points[i].y() != o.points[i].y())
                    return false;
            }
            return true;
        }
    };

    BezierPath();

    static BezierPath bezierPath() { return BezierPath(); }
    static BezierPath bezierPathWithRect(const QRectF &rect);
    static BezierPath bezierPathWithOvalInRect(const QRectF &rect);
    static BezierPath bezierPathWithRoundedRect(const QRectF &rect, double xRadius, double yRadius);
    static BezierPath fromQPainterPath(const QPainterPath &path);

    // Defaults given to new paths.
    static double defaultLineWidth();
    static void setDefaultLineWidth(double width);
    static double defaultFlatness();
    static void setDefaultFlatness(double flatness);
    static double defaultMiterLimit();
    static void setDefaultMiterLimit(double limit);
    static WindingRule defaultWindingRule();
    static void setDefaultWindingRule(WindingRule rule);
    static LineCapStyle defaultLineCapStyle();
    static void setDefaultLineCapStyle(LineCapStyle style);
    static LineJoinStyle defaultLineJoinStyle();
    static void setDefaultLineJoinStyle(LineJoinStyle style);

    // One-shot drawing into the current graphics context.
    static void fillRect(const QRectF &rect);
    static void strokeRect(const QRectF &rect);
    static void strokeLineFromPoint(QPointF from, QPointF to);
    // Intersects the current context's clip with the rectangle.
    static void clipRect(const QRectF &rect);

    // Construction. A line or curve needs a current point; without one it starts a subpath at
    // its own end point and logs the mistake instead of raising. After a close it starts a new
    // subpath (an added move) at the closed subpath's start.
    void moveToPoint(QPointF p);
    void lineToPoint(QPointF p);
    void curveToPoint(QPointF end, QPointF control1, QPointF control2);
    void closePath();
    void relativeMoveToPoint(QPointF d);
    void relativeLineToPoint(QPointF d);
    void relativeCurveToPoint(QPointF end, QPointF control1, QPointF control2);
    void removeAllPoints();
    // Room for this many elements in all, so that a path built element by element grows once.
    void reserveElements(qint64 count) { mElements.reserve(count); }

    void appendBezierPath(const BezierPath &other);
    void appendBezierPathWithRect(const QRectF &rect);
    void appendBezierPathWithOvalInRect(const QRectF &rect);
    void appendBezierPathWithRoundedRect(const QRectF &rect, double xRadius, double yRadius);
    void appendBezierPathWithPoints(const QList<QPointF> &points);
    // Angles in degrees, counter-clockwise from the positive x axis in the path's own
    // coordinates. Starts with a line from the current point, or a move when the path is empty.
    void appendBezierPathWithArcWithCenter(QPointF center, double radius, double startAngle,
                                           double endAngle, bool clockwise = false);
    // A corner arc tangent to the lines current point -> p1 and p1 -> p2.
    void appendBezierPathWithArcFromPoint(QPointF p1, QPointF p2, double radius);

    // Queries.
    bool isEmpty() const { return mElements.isEmpty(); }
    qint64 elementCount() const { return mElements.size(); }
    // The element type; its points copied to `points` (up to three) when given. A close gives
    // its subpath's start as its one point. Out-of-range indexes answer MoveTo with no points
    // written.
    BezierPathElement elementAtIndex(qint64 index, QPointF *points = nullptr) const;
    const Element &element(qint64 index) const { return mElements.at(index); }
    const QList<Element> &elements() const { return mElements; }
    void setAssociatedPoints(const QPointF *points, qint64 index);
    bool hasCurrentPoint() const { return !mElements.isEmpty(); }
    // The last point of the path; the start of the subpath after a close; (0, 0) when empty.
    QPointF currentPoint() const;
    // Tight bounds of the drawn geometry (curve extremes included); null rect when empty.
    // Both bounds are kept until the path changes; like Qt's own value types, a path is not
    // read from two threads at once.
    QRectF bounds() const;
    // Bounds of every point, control points included.
    QRectF controlPointBounds() const;
    // Inside the filled path under its winding rule, counted on the elements themselves (every
    // subpath closed); a point on a minimum edge counts as inside, as Qt's fill has it.
    bool containsPoint(QPointF p) const;

    // Derived paths.
    BezierPath bezierPathByFlatteningPath() const;
    BezierPath bezierPathByReversingPath() const;
    void transformUsingAffineTransform(const AffineTransform &t);

    // Attributes.
    double lineWidth() const { return mLineWidth; }
    void setLineWidth(double w) { mLineWidth = w; }
    WindingRule windingRule() const { return mWindingRule; }
    void setWindingRule(WindingRule r) { mWindingRule = r; }
    LineCapStyle lineCapStyle() const { return mLineCap; }
    void setLineCapStyle(LineCapStyle s) { mLineCap = s; }
    LineJoinStyle lineJoinStyle() const { return mLineJoin; }
    void setLineJoinStyle(LineJoinStyle s) { mLineJoin = s; }
    double miterLimit() const { return mMiterLimit; }
    void setMiterLimit(double m) { mMiterLimit = m; }
    double flatness() const { return mFlatness; }
    void setFlatness(double f) { mFlatness = f; }
    // An empty pattern draws solid lines.
    void setLineDash(const QList<double> &pattern, double phase);
    QList<double> lineDashPattern() const { return mDash; }
    double lineDashPhase() const { return mDashPhase; }

    // Drawing into the current graphics context (nothing without one).
    void fill() const;
    void stroke() const;
    // Intersects the current clip with the path / replaces it.
    void addClip() const;
    void setClip() const;

    QPainterPath toQPainterPath() const;
    // A pen with the path's stroke attributes and the given brush.
    QPen pen(const QBrush &brush) const;

    bool operator==(const BezierPath &o) const;

private:
    void ensureCurrentPoint(QPointF p);
    QPointF subpathStart() const;
    // Every change of the elements forgets the kept bounds.
    void elementsChanged();
    QRectF computeBounds() const;
    QRectF computeControlPointBounds() const;

    QList<Element> mElements;
    double mLineWidth;
    WindingRule mWindingRule;
    LineCapStyle mLineCap;
    LineJoinStyle mLineJoin;
    double mMiterLimit;
    double mFlatness;
    QList<double> mDash;
    double mDashPhase = 0;
    mutable std::optional<QRectF> mBounds;
    mutable std::optional<QRectF> mControlPointBounds;
};

} // namespace platform
