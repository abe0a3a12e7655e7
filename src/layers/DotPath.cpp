#include "layers/DotPath.h"

#include "platform/AffineTransform.h"
#include "platform/Log.h"

#include <cmath>

namespace {

// Neighbours and a closing point this near are one point.
constexpr double kSamePointTolerance = 0.1;

bool nearlySame(QPointF a, QPointF b)
{
    return std::fabs(a.x() - b.x()) <= kSamePointTolerance &&
           std::fabs(a.y() - b.y()) <= kSamePointTolerance;
}

// A point with a NaN coordinate is logged with its number and read as the origin.
QPointF checkedPoint(QPointF p, int errorNumber)
{
    if (std::isnan(p.x()) || std::isnan(p.y())) {
        platform::Log(lcLayers, QStringLiteral("**** NaN value error %1 ****").arg(errorNumber));
        return QPointF(0, 0);
    }
    return p;
}

void appendSegment(platform::BezierPath &path, const DOT &from, const DOT &to)
{
    if (from.type() == DOT::kCurveType)
        path.curveToPoint(to.p(), from.curve1(), from.curve2());
    else
        path.lineToPoint(to.p());
}

} // namespace

std::shared_ptr<DotPath> DotPath::create()
{
    return std::make_shared<DotPath>();
}

std::shared_ptr<DotPath> DotPath::createWithPath(const platform::BezierPath *path)
{
    auto result = create();
    result->setPath(path);
    return result->mItems.isEmpty() ? nullptr : result;
}

std::shared_ptr<DotPath> DotPath::copy() const
{
    auto result = create();
    result->mBClosed = mBClosed;
    result->mItems.reserve(mItems.size());
    for (const auto &dot : mItems)
        result->mItems.append(dot ? dot->copy() : nullptr);
    return result;
}

void DotPath::setPath(const platform::BezierPath *path)
{
    mItems.clear();
    mBClosed = false;
    if (!path || path->elementCount() < 2)
        return;

    DotList list;
    QPointF start(0, 0);
    bool closed = false;
    const auto ensureStart = [&list] {
        if (list.isEmpty())
            list.append(DOT::DotFromPoint(QPointF(0, 0)));
    };
    for (qint64 i = 0; i < path->elementCount(); ++i) {
        const platform::BezierPath::Element &element = path->element(i);
        switch (element.type) {
        case platform::BezierPathElement::MoveTo:
            start = checkedPoint(element.points[0], 1);
            // Later subpaths are chained on: their first segment leaves the last point.
            if (i == 0)
                list.append(DOT::DotFromPoint(start));
            break;
        case platform::BezierPathElement::LineTo: {
            const QPointF a = checkedPoint(element.points[0], 2);
            ensureStart();
            list.append(DOT::DotFromPoint(a));
            break;
        }
        case platform::BezierPathElement::CurveTo: {
            const QPointF c1 = checkedPoint(element.points[0], 3);
            const QPointF c2 = checkedPoint(element.points[1], 4);
            const QPointF a = checkedPoint(element.points[2], 5);
            ensureStart();
            DOT &last = *list.last();
            last.setCurve1(c1);
            last.setCurve2(c2);
            last.setType(DOT::kCurveType);
            list.append(DOT::DotFromPoint(a));
            break;
        }
        case platform::BezierPathElement::ClosePath:
            if (!list.isEmpty())
                closed = true;
            break;
        }
    }
    // A figure drawn back onto its start without a close is closed all the same.
    if (!closed && list.size() >= 3 && nearlySame(list.last()->p(), start)) {
        closed = true;
        list.removeLast();
    }
    mItems = list;
    mBClosed = closed;
    removeCoincidentNeighbours();
}

void DotPath::removeCoincidentNeighbours()
{
    // After a removal at i the pairs before i - 1 are as they were, so the scan resumes there
    // rather than from the start; it finds the same pairs in the same order.
    int i = 0;
    while (mItems.size() > 2 && i < mItems.size()) {
        const int next = nextIndex(i);
        if (mItems[i] && next >= 0 && nearlySame(mItems[i]->p(), mItems[next]->p())) {
            mItems.removeAt(i);
            i = std::max(i - 1, 0);
            continue;
        }
        ++i;
    }
}

std::optional<platform::BezierPath> DotPath::toPath() const
{
    if (mItems.size() < 2)
        return std::nullopt;
    platform::BezierPath path;
    for (int i = 0; i < mItems.size(); ++i) {
        const DOT *dot = mItems[i].get();
        if (!dot)
            continue;
        if (path.isEmpty())
            path.moveToPoint(dot->p());
        const int next = nextIndex(i);
        if (next >= 0)
            appendSegment(path, *dot, *mItems[next]);
        if (i == mItems.size() - 1 && mBClosed)
            path.closePath();
    }
    if (path.elementCount() <= 1)
        return std::nullopt;
    return path;
}

std::optional<platform::BezierPath> DotPath::getLinePathAtPos(int index) const
{
    if (index < 0 || index >= mItems.size() || !mItems[index])
        return std::nullopt;
    const int next = nextIndex(index);
    if (next < 0)
        return std::nullopt;
    platform::BezierPath path;
    path.moveToPoint(mItems[index]->p());
    appendSegment(path, *mItems[index], *mItems[next]);
    return path;
}

int DotPath::lengthLine() const
{
    const int count = length();
    if (count < 2)
        return 0;
    return mBClosed ? count : count - 1;
}

QRectF DotPath::bounds() const
{
    if (lengthLine() == 0)
        return QRectF();
    const auto path = toPath();
    if (!path || path->isEmpty())
        return QRectF();
    return path->bounds();
}

void DotPath::transform(const platform::AffineTransform *t)
{
    if (!t)
        return;
    for (const auto &dot : mItems)
        if (dot)
            dot->transform(t);
}

void DotPath::transform_FromOldValue(const platform::AffineTransform *t)
{
    if (!t)
        return;
    for (const auto &dot : mItems)
        if (dot)
            dot->transform_FromOldValue(t);
}

void DotPath::resetOldValue()
{
    for (const auto &dot : mItems)
        if (dot)
            dot->resetOldValue();
}

void DotPath::restoreOldValue()
{
    for (const auto &dot : mItems)
        if (dot)
            dot->restoreOldValue();
}

std::shared_ptr<DOT> DotPath::dotAtPos(int index) const
{
    if (index < 0 || index >= mItems.size())
        return nullptr;
    return mItems[index];
}

int DotPath::nextIndex(int index) const
{
    if (index < 0 || index >= mItems.size())
        return -1;
    int next = index + 1;
    if (next == mItems.size()) {
        if (!mBClosed)
            return -1;
        next = 0;
    }
    return mItems[next] ? next : -1;
}

std::shared_ptr<DOT> DotPath::getNextDot(const DOT *dot) const
{
    if (!dot)
        return nullptr;
    const auto found =
        std::find_if(mItems.cbegin(), mItems.cend(),
                     [dot](const std::shared_ptr<DOT> &d) { return d.get() == dot; });
    if (found == mItems.cend())
        return nullptr;
    const int next = nextIndex(int(found - mItems.cbegin()));
    return next >= 0 ? mItems[next] : nullptr;
}

std::shared_ptr<DOT> DotPath::getPreviousDot(const DOT *dot) const
{
    if (!dot)
        return nullptr;
    const auto found =
        std::find_if(mItems.cbegin(), mItems.cend(),
                     [dot](const std::shared_ptr<DOT> &d) { return d.get() == dot; });
    if (found == mItems.cend())
        return nullptr;
    const int index = int(found - mItems.cbegin());
    if (index > 0)
        return mItems[index - 1];
    return mBClosed ? mItems.last() : nullptr;
}

std::shared_ptr<DOT> DotPath::firstSelectDot() const
{
    for (int i = 0; i < lengthLine(); ++i) {
        if (mItems[i] && nextIndex(i) >= 0 && mItems[i]->bSelect())
            return mItems[i];
    }
    return nullptr;
}

void DotPath::ReverseOrderOfDot()
{
    if (mBClosed || mItems.size() < 2)
        return;
    DotList reversed;
    reversed.reserve(mItems.size());
    for (int i = int(mItems.size()) - 1; i >= 0; --i) {
        const DOT *d = mItems[i].get();
        if (!d)
            return;
        // The segment that arrived at d now leaves it, owned by d's copy.
        const DOT *e = i > 0 ? mItems[i - 1].get() : nullptr;
        auto c = DOT::DotFromDot(d);
        c->setType(0);
        if (e) {
            e->PasteTypeTo(c.get());
            if (e->type() == DOT::kCurveType) {
                c->setType(DOT::kCurveType);
                c->setCurve1(e->curve2());
                c->setCurve2(e->curve1());
            } else {
                c->setType(0);
            }
        }
        reversed.append(c);
    }
    mItems = reversed;
    mBClosed = false;
}
