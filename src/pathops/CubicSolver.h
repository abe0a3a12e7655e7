#pragma once
// Real roots of c0 + c1 t + c2 t^2 + c3 t^3 = 0, each with its multiplicity (1, 2 or 3); the
// intersection kernels share it. Lower degrees are solved when the leading coefficients are 0.

#include <array>

struct CubicRoots
{
    int count = 0;
    std::array<double, 3> roots{};
    std::array<int, 3> multiplicities{};
};

// Answers the number of distinct real roots, unsorted.
int solveCubicEquation(double c0, double c1, double c2, double c3, double roots[3],
                       int multiplicities[3]);
CubicRoots solveCubicEquation(double c0, double c1, double c2, double c3);
