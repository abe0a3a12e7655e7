#pragma once
// The seeded property categories of the path operations, and the one driver that runs them.
//
// A category is a name, a function from a seed to its faults (no fault: the case passes) and
// the number of cases ./test runs. Registering one is one line in any test file of this folder:
//
//     PELKO_PROPERTY_CATEGORY(SiblingsSharingParts, siblingFaults, 60);
//
// It becomes the test PathProperty.SiblingsSharingParts. scripts/property-run.sh finds every
// test of the PathProperty suite and runs it at 100,000 cases, so a new category needs nothing
// else. Choose the count so that the test takes well under 20 seconds on one idle core under the
// sanitizers (the long run is where a category meets many cases).
//
// Seeds: the long run covers 1 to kLongRunSeeds. ./test runs the category's count of them spread
// evenly over that whole range. PELKO_SEED (the first seed, 1 when unset), PELKO_CASES (how many)
// and PELKO_SEED_STEP (the distance between two seeds, 1 when unset) choose other seeds: the long
// run's lanes, or one failing seed again, as every failure prints the command line that reruns it.

#include <gtest/gtest.h>

#include <QtGlobal>
#include <functional>
#include <string>
#include <vector>

namespace pathproperty {

// One line per fault; the lines after the first may describe the case (its shapes, in the text
// form, ready to become a regression row).
using Faults = std::vector<std::string>;
using FaultsOfSeed = std::function<Faults(quint64 seed)>;

constexpr quint64 kLongRunSeeds = 100000;

struct SeedRun
{
    quint64 first = 1;
    quint64 count = 0;
    quint64 step = 1;
};

// The seeds this process runs: the environment's choice, or `suiteCases` spread over the long
// run's range.
SeedRun seedsToRun(quint64 suiteCases);

// Runs the category over seedsToRun(suiteCases): a gtest failure per failing seed, with the
// command line that reruns that seed alone, and a summary line the long run reads.
void runCategory(const char *name, const FaultsOfSeed &faultsOf, quint64 suiteCases);

} // namespace pathproperty

#define PELKO_PROPERTY_CATEGORY(Name, faultsOfSeed, suiteCases)                                    \
    TEST(PathProperty, Name)                                                                       \
    {                                                                                              \
        pathproperty::runCategory(#Name, faultsOfSeed, suiteCases);                                \
    }                                                                                              \
    static_assert(true, "a semicolon follows the registration")
