#include "platform/Guard.h"
#include "platform/Log.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

int throwsNamed()
{
    GUARD_BEGIN
    throw platform::Exception(QStringLiteral("NSRangeException"),
                              QStringLiteral("index 9 beyond bounds"));
    return 1;
    GUARD_END(-1)
}

int throwsUnderItsOwnName()
{
    GUARD_BEGIN
    throw std::out_of_range("bad index");
    GUARD_END_NAMED(-3, "float GetTransformAngle(NSAffineTransform *)")
}

void throwsUnderItsOwnNameVoid()
{
    GUARD_BEGIN
    throw std::out_of_range("bad index");
    GUARD_END_VOID_NAMED("void Spare(void)")
}

int throwsStd()
{
    GUARD_BEGIN
    throw std::out_of_range("bad index");
    GUARD_END(-2)
}

struct Base
{
    virtual ~Base() = default;
};
struct Derived : Base
{
};
struct Other : Base
{
};

} // namespace

TEST(Guard, ExceptionAnswersNeutralValueAndPrintsTheReport)
{
    pelkotest::LogCapture cap;
    EXPECT_EQ(throwsNamed(), -1);
    const QByteArray r = cap.reports();
    EXPECT_TRUE(r.startsWith("_\n@@@@@@@@@@@@@@@ EXCEPTION PROBLEM @@@@@@@@@@@@@@@ >>>>>\nFile: "));
    // Each compiler spells the unnamed namespace its own way.
    EXPECT_TRUE(r.contains("Functions: int {anonymous}::throwsNamed() \n") ||
                r.contains("Functions: int (anonymous namespace)::throwsNamed() \n"))
        << r.toStdString();
    EXPECT_TRUE(r.contains("\nLine: "));
    EXPECT_TRUE(r.endsWith(" \n@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@ <<<<<<\n_"));
    ASSERT_EQ(cap.lines().size(), 1);
    EXPECT_EQ(cap.lines().first(),
              QStringLiteral("INFO: NSRangeException - index 9 beyond bounds"));
}

TEST(Guard, StandardExceptionsAreNamedByTheirType)
{
    pelkotest::LogCapture cap;
    EXPECT_EQ(throwsStd(), -2);
    ASSERT_EQ(cap.lines().size(), 1);
    EXPECT_EQ(cap.lines().first(), QStringLiteral("INFO: std::out_of_range - bad index"));
}

TEST(Guard, FatalReportAndCasts)
{
    pelkotest::LogCapture cap;
    Derived d;
    Other o;
    Base *bd = &d;
    Base *bo = &o;
    Base *none = nullptr;
    EXPECT_EQ(CastFunction(Derived, bd), &d);
    EXPECT_TRUE(cap.reports().isEmpty());
    EXPECT_EQ(CastFunction(Derived, none), nullptr);
    EXPECT_TRUE(cap.reports().isEmpty());
    EXPECT_EQ(CastFunction(Derived, bo), nullptr);
    EXPECT_TRUE(cap.hasFatalReport());

    cap.clear();
    const std::shared_ptr<Base> shared = std::make_shared<Derived>();
    EXPECT_EQ(CastFunction2(Derived, shared).get(), shared.get());
    EXPECT_EQ(CastFunction2(Derived, std::shared_ptr<Base>()), nullptr);
    EXPECT_TRUE(cap.reports().isEmpty());
    EXPECT_EQ(CastFunction2(Derived, std::shared_ptr<Base>(std::make_shared<Other>())), nullptr);
    EXPECT_TRUE(cap.hasFatalReport());
}

TEST(Guard, VoidGuardSwallowsTheExceptionAfterItsReport)
{
    pelkotest::LogCapture cap;
    int reached = 0;
    auto body = [&] {
        GUARD_BEGIN
        ++reached;
        throw 42; // not a std::exception: still caught, named "unknown"
        ++reached;
        GUARD_END_VOID
        ++reached; // the function goes on after the guard
    };
    body();
    EXPECT_EQ(reached, 2);
    EXPECT_TRUE(cap.hasExceptionReport());
    ASSERT_EQ(cap.lines().size(), 1);
    EXPECT_EQ(cap.lines().first(), QStringLiteral("INFO: unknown - unknown"));
}

TEST(Guard, ReportsCanShowTheRoutinesOwnSignature)
{
    pelkotest::LogCapture capture;
    EXPECT_EQ(throwsUnderItsOwnName(), -3);
    EXPECT_TRUE(
        capture.reports().contains("Functions: float GetTransformAngle(NSAffineTransform *) \n"));
    EXPECT_TRUE(capture.hasExceptionReport());
    throwsUnderItsOwnNameVoid();
    EXPECT_TRUE(capture.reports().contains("Functions: void Spare(void) \n"));
    capture.clear();
    REPORT_FATAL_NAMED("CGRect OFConstrainRect(CGRect, CGRect)");
    EXPECT_TRUE(capture.hasFatalReport());
    EXPECT_TRUE(capture.reports().contains("Functions: CGRect OFConstrainRect(CGRect, CGRect) \n"));
    EXPECT_EQ(capture.reportCount(), 1);
}

TEST(Log, InformationShowsOnlyWhenItsCategoryIsOnWarningsAlways)
{
    struct Row
    {
        const char *name;
        bool warning;
        const char *rules;
        bool shown;
    };
    const Row rows[] = {
        {"information, default rules", false, "", false},
        {"warning, default rules", true, "", true},
        {"information, its area on", false, "pelko.services.info=true", true},
        {"information, every area on", false, "pelko.*.info=true", true},
        {"information, another area on", false, "pelko.shell.info=true", false},
        {"warning, its area's warnings off", true, "pelko.services.warning=false", false},
    };
    const QString line = QStringLiteral("*** ERROR: \"quoted\" line %1");
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        QLoggingCategory::setFilterRules(QString::fromLatin1(row.rules));
        ::testing::internal::CaptureStderr();
        if (row.warning)
            platform::LogWarning(lcServices, line);
        else
            platform::Log(lcServices, line);
        const std::string err = ::testing::internal::GetCapturedStderr();
        // The text stands as written, quotes and all.
        EXPECT_EQ(err.find(line.toStdString()) != std::string::npos, row.shown) << err;
    }
    QLoggingCategory::setFilterRules(QString());
}

TEST(Log, ASinkTakesEveryLineWhateverTheRules)
{
    pelkotest::LogCapture cap;
    platform::Log(lcTextcompare, QStringLiteral("information"));
    platform::LogWarning(lcTextcompare, QStringLiteral("warning"));
    EXPECT_EQ(cap.lines(), (QStringList{QStringLiteral("information"), QStringLiteral("warning")}));
}
