// The cubic solver against polynomials built from known roots.
#include <gtest/gtest.h>

#include "pathops/CubicSolver.h"

#include <QRandomGenerator>

#include <algorithm>
#include <vector>

namespace {

struct Root
{
    double value;
    int multiplicity;
};

// Coefficients c0..c3 of lead * (t - r0)(t - r1)... for the real roots, times t^2 + p t + q
// when `quadratic` holds a factor without real roots.
std::array<double, 4> polynomialFrom(const std::vector<double> &roots, double lead,
                                     const double *quadratic = nullptr)
{
    std::vector<double> c{lead};
    auto multiply = [&c](std::vector<double> factor) {
        std::vector<double> out(c.size() + factor.size() - 1, 0.0);
        for (size_t i = 0; i < c.size(); ++i)
            for (size_t j = 0; j < factor.size(); ++j)
                out[i + j] += c[i] * factor[j];
        c = out;
    };
    for (double r : roots)
        multiply({-r, 1});
    if (quadratic)
        multiply({quadratic[1], quadratic[0], 1});
    std::array<double, 4> out{};
    std::copy(c.begin(), c.end(), out.begin());
    return out;
}

std::vector<Root> solved(const std::array<double, 4> &c)
{
    const CubicRoots r = solveCubicEquation(c[0], c[1], c[2], c[3]);
    std::vector<Root> out;
    for (int i = 0; i < r.count; ++i)
        out.push_back({r.roots[i], r.multiplicities[i]});
    std::sort(out.begin(), out.end(), [](Root a, Root b) { return a.value < b.value; });
    return out;
}

void expectRoots(const std::array<double, 4> &c, std::vector<Root> want)
{
    std::sort(want.begin(), want.end(), [](Root a, Root b) { return a.value < b.value; });
    const std::vector<Root> got = solved(c);
    ASSERT_EQ(got.size(), want.size())
        << c[0] << " " << c[1] << " " << c[2] << " " << c[3] << " first " << want[0].value;
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_NEAR(got[i].value, want[i].value, 1e-9 * std::max(1.0, std::fabs(want[i].value)))
            << "root " << i;
        EXPECT_EQ(got[i].multiplicity, want[i].multiplicity) << "root " << i;
    }
}

// Distinct roots in [-1, 1], at least `gap` apart.
std::vector<double> spreadRoots(QRandomGenerator &rng, int n, double gap)
{
    for (;;) {
        std::vector<double> r;
        for (int i = 0; i < n; ++i)
            r.push_back(rng.generateDouble() * 2 - 1);
        std::sort(r.begin(), r.end());
        bool ok = true;
        for (int i = 1; i < n; ++i)
            ok = ok && r[i] - r[i - 1] >= gap;
        if (ok)
            return r;
    }
}

double randomLead(QRandomGenerator &rng)
{
    const double size = 0.5 + 3.5 * rng.generateDouble();
    return rng.bounded(2) ? size : -size;
}

} // namespace

TEST(CubicSolver, TangentContactGivesTheDoubleRootItsOwnSign)
{
    // (t - 1)^2 (t + 2): the curve touches at 1 and crosses at -2.
    expectRoots({2, -3, 0, 1}, {{-2, 1}, {1, 2}});
    expectRoots({-2, 3, 0, -1}, {{-2, 1}, {1, 2}});
    // (t + 1)^2 (t - 2).
    expectRoots({-2, -3, 0, 1}, {{2, 1}, {-1, 2}});
}

TEST(CubicSolver, LowerDegreesAndDegenerateInput)
{
    expectRoots({-6, 5, 1, 0}, {{-6, 1}, {1, 1}});
    expectRoots({1, -2, 1, 0}, {{1, 2}});
    expectRoots({3, -1.5, 0, 0}, {{2, 1}});
    EXPECT_TRUE(solved({1, 0, 1, 0}).empty());
    EXPECT_TRUE(solved({1, 0, 0, 0}).empty());
    EXPECT_TRUE(solved({0, 0, 0, 0}).empty());
    expectRoots({0, 0, 0, 5}, {{0, 3}});
}

TEST(CubicSolver, RandomRootsComeBackWithTheirMultiplicities)
{
    QRandomGenerator rng(2811);
    for (int round = 0; round < 2000; ++round) {
        SCOPED_TRACE(round);
        const double lead = randomLead(rng);
        const std::vector<double> three = spreadRoots(rng, 3, 0.05);
        expectRoots(polynomialFrom(three, lead), {{three[0], 1}, {three[1], 1}, {three[2], 1}});

        const std::vector<double> two = spreadRoots(rng, 2, 0.05);
        expectRoots(polynomialFrom({two[0], two[0], two[1]}, lead), {{two[0], 2}, {two[1], 1}});

        const double triple = rng.generateDouble() * 2 - 1;
        expectRoots(polynomialFrom({triple, triple, triple}, lead), {{triple, 3}});

        // One real root and a pair of complex ones: t^2 + p t + q with p^2 < 4q.
        const double p = rng.generateDouble() * 2 - 1;
        const double quadratic[2] = {p, p * p / 4 + 0.05 + rng.generateDouble()};
        expectRoots(polynomialFrom({three[1]}, lead, quadratic), {{three[1], 1}});

        expectRoots(polynomialFrom({two[0], two[1]}, lead), {{two[0], 1}, {two[1], 1}});
        expectRoots(polynomialFrom({two[1], two[1]}, lead), {{two[1], 2}});
        expectRoots(polynomialFrom({three[2]}, lead), {{three[2], 1}});
    }
}
