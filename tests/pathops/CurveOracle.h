#pragma once
// The path tests' own answers for a cubic: its point at t, and the nearest distance from a point
// to it by dense samples refined with a ternary search.

#include <QPointF>

#include <algorithm>
#include <cmath>

inline QPointF cubicAt(const QPointF p[4], double t)
{
    const double s = 1 - t;
    return s * s * s * p[0] + 3 * s * s * t * p[1] + 3 * s * t * t * p[2] + t * t * t * p[3];
}

inline double bruteDistance(const QPointF p[4], QPointF q, int steps = 4000)
{
    auto dist = [&](double t) {
        const QPointF d = cubicAt(p, t) - q;
        return std::hypot(d.x(), d.y());
    };
    int bestK = 0;
    for (int k = 1; k <= steps; ++k)
        if (dist(double(k) / steps) < dist(double(bestK) / steps))
            bestK = k;
    double lo = std::max(0.0, double(bestK - 1) / steps);
    double hi = std::min(1.0, double(bestK + 1) / steps);
    for (int i = 0; i < 100; ++i) {
        const double m1 = lo + (hi - lo) / 3, m2 = hi - (hi - lo) / 3;
        if (dist(m1) < dist(m2))
            hi = m2;
        else
            lo = m1;
    }
    return dist((lo + hi) / 2);
}
