#include "PropertyRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <cstdio>
#include <optional>
#include <sstream>

namespace pathproperty {

namespace {

std::optional<quint64> environmentNumber(const char *name)
{
    bool ok = false;
    const quint64 value = qEnvironmentVariable(name).toULongLong(&ok);
    return ok ? std::optional<quint64>(value) : std::nullopt;
}

std::string rerunLine(const char *name, quint64 seed)
{
    std::ostringstream s;
    s << "PELKO_SEED=" << seed << " PELKO_CASES=1 "
      << QCoreApplication::applicationFilePath().toStdString() << " --gtest_filter=PathProperty."
      << name;
    return s.str();
}

} // namespace

SeedRun seedsToRun(quint64 suiteCases)
{
    const std::optional<quint64> first = environmentNumber("PELKO_SEED");
    const std::optional<quint64> cases = environmentNumber("PELKO_CASES");
    const std::optional<quint64> step = environmentNumber("PELKO_SEED_STEP");
    if (first || cases || step)
        return {first.value_or(1), cases.value_or(suiteCases),
                std::max<quint64>(step.value_or(1), 1)};
    // Spread over the long run's range: each case is one the long run meets too, and a fault
    // the long run finds anywhere in the range has neighbours here.
    return {1, suiteCases, std::max<quint64>(kLongRunSeeds / std::max<quint64>(suiteCases, 1), 1)};
}

void runCategory(const char *name, const FaultsOfSeed &faultsOf, quint64 suiteCases)
{
    const SeedRun run = seedsToRun(suiteCases);
    QElapsedTimer clock;
    clock.start();
    quint64 failed = 0;
    for (quint64 i = 0; i < run.count; ++i) {
        const quint64 seed = run.first + i * run.step;
        const Faults faults = faultsOf(seed);
        if (faults.empty())
            continue;
        ++failed;
        std::string text;
        for (const std::string &line : faults)
            text += "\n  " + line;
        const std::string rerun = rerunLine(name, seed);
        ADD_FAILURE() << name << " seed " << seed << ":" << text << "\n  rerun: " << rerun;
        // Two lines the long run collects from its lanes' logs.
        std::printf("[property] %s seed %llu failed: %s\n[property] rerun: %s\n", name,
                    (unsigned long long)seed, faults.front().c_str(), rerun.c_str());
    }
    std::printf("[property] %s: %llu cases (seeds %llu to %llu, step %llu), %llu failed, "
                "%.3f s\n",
                name, (unsigned long long)run.count, (unsigned long long)run.first,
                (unsigned long long)(run.first + (run.count ? run.count - 1 : 0) * run.step),
                (unsigned long long)run.step, (unsigned long long)failed,
                double(clock.nsecsElapsed()) / 1e9);
    std::fflush(stdout);
}

} // namespace pathproperty
