#include "pathops/CubicSolver.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Below this the discriminants count as zero: a double or triple root.
constexpr double kZeroDiscriminant = 1e-10;
constexpr double kThird = 1.0 / 3.0;
constexpr double kSixtyDegrees = 1.0471975511965976;

int add(double root, int multiplicity, double roots[3], int multiplicities[3], int n)
{
    roots[n] = root;
    multiplicities[n] = multiplicity;
    return n + 1;
}

int solveQuadratic(double c0, double c1, double c2, double roots[3], int multiplicities[3])
{
    const double d = c1 * c1 - 4 * c2 * c0;
    if (std::fabs(d) < kZeroDiscriminant)
        return add(-c1 / (2 * c2), 2, roots, multiplicities, 0);
    if (d < 0)
        return 0;
    const double s = std::sqrt(d);
    const int n = add((-c1 - s) / (2 * c2), 1, roots, multiplicities, 0);
    return add((s - c1) / (2 * c2), 1, roots, multiplicities, n);
}

// Roots of the depressed cubic in the scaled form Q = 3b - a^2, R = (2a^3 - 9ab + 27c) / 2.
int solveNormalised(double a, double b, double c, double roots[3], int multiplicities[3])
{
    const double q = 3 * b - a * a;
    const double rTerms[3] = {2 * a * a * a, -9 * a * b, 27 * c};
    double r = (rTerms[0] + rTerms[1] + rTerms[2]) * 0.5;
    // R left over from rounding its terms is a triple root, not a tiny double one: its cube
    // root would move the roots by far more than the rounding did.
    const double rNoise = 64 * std::numeric_limits<double>::epsilon() *
                          (std::fabs(rTerms[0]) + std::fabs(rTerms[1]) + std::fabs(rTerms[2]));
    if (std::fabs(r) <= rNoise)
        r = 0;
    const double d = r * r + q * q * q;
    int n = 0;
    if (std::fabs(d) >= kZeroDiscriminant && d < 0) {
        // Rounding can push the cosine just past 1.
        const double cosine = std::clamp(-r / std::sqrt(-q * q * q), -1.0, 1.0);
        const double theta = std::acos(cosine) * kThird;
        const double m = 2 * std::sqrt(-q) / 3;
        n = add(m * std::cos(theta), 1, roots, multiplicities, n);
        n = add(-m * std::cos(theta + kSixtyDegrees), 1, roots, multiplicities, n);
        n = add(-m * std::cos(theta - kSixtyDegrees), 1, roots, multiplicities, n);
    } else if (std::fabs(d) >= kZeroDiscriminant) {
        const double s = std::sqrt(d);
        n = add((std::cbrt(s - r) - std::cbrt(r + s)) / 3, 1, roots, multiplicities, n);
    } else if (r != 0) {
        // A double root at u and a single one at -2u, where the curve touches and where it
        // crosses.
        const double u = std::cbrt(r) / 3;
        n = add(-2 * u, 1, roots, multiplicities, n);
        n = add(u, 2, roots, multiplicities, n);
    } else {
        n = add(0, 3, roots, multiplicities, n);
    }
    for (int i = 0; i < n; ++i)
        roots[i] -= a * kThird;
    return n;
}

} // namespace

int solveCubicEquation(double c0, double c1, double c2, double c3, double roots[3],
                       int multiplicities[3])
{
    if (c3 == 0) {
        if (c2 != 0)
            return solveQuadratic(c0, c1, c2, roots, multiplicities);
        if (c1 == 0)
            return 0;
        return add(-c0 / c1, 1, roots, multiplicities, 0);
    }
    return solveNormalised(c2 / c3, c1 / c3, c0 / c3, roots, multiplicities);
}

CubicRoots solveCubicEquation(double c0, double c1, double c2, double c3)
{
    CubicRoots out;
    out.count = solveCubicEquation(c0, c1, c2, c3, out.roots.data(), out.multiplicities.data());
    return out;
}
