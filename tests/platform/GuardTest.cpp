#include "platform/Guard.h"
#include "platform/Log.h"

#include <gtest/gtest.h>

namespace {

struct CapturedReports
{
    QByteArray reports;
    QStringList logs;
    CapturedReports()
    {
        platform::setReportSink([this](const QByteArray &t) { reports += t; });
        platform::setLogSink([this](const QString &l) { logs << l; });
    }
    ~CapturedReports()
    {
        platform::setReportSink(nullptr);
        platform::setLogSink(nullptr);
    }
};

int throwsNamed()
{
    GUARD_BEGIN
    throw platform::Exception(QStringLiteral("NSRangeException"), QStringLiteral("index 9 beyond bounds"));
    return 1;
    GUARD_END(-1)
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
    CapturedReports cap;
    EXPECT_EQ(throwsNamed(), -1);
    const QByteArray r = cap.reports;
    EXPECT_TRUE(r.startsWith("_\n@@@@@@@@@@@@@@@ EXCEPTION PROBLEM @@@@@@@@@@@@@@@ >>>>>\nFile: "));
    EXPECT_TRUE(r.contains("Functions: int {anonymous}::throwsNamed() \n"));
    EXPECT_TRUE(r.contains("\nLine: "));
    EXPECT_TRUE(r.endsWith(" \n@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@@ <<<<<<\n_"));
    ASSERT_EQ(cap.logs.size(), 1);
    EXPECT_EQ(cap.logs.first(), QStringLiteral("INFO: NSRangeException - index 9 beyond bounds"));
}

TEST(Guard, StandardExceptionsAreNamedByTheirType)
{
    CapturedReports cap;
    EXPECT_EQ(throwsStd(), -2);
    ASSERT_EQ(cap.logs.size(), 1);
    EXPECT_EQ(cap.logs.first(), QStringLiteral("INFO: std::out_of_range - bad index"));
}

TEST(Guard, FatalReportAndCasts)
{
    CapturedReports cap;
    Derived d;
    Other o;
    Base *bd = &d;
    Base *bo = &o;
    Base *none = nullptr;
    EXPECT_EQ(CastFunction(Derived, bd), &d);
    EXPECT_TRUE(cap.reports.isEmpty());
    EXPECT_EQ(CastFunction(Derived, none), nullptr);
    EXPECT_TRUE(cap.reports.isEmpty());
    EXPECT_EQ(CastFunction(Derived, bo), nullptr);
    EXPECT_TRUE(cap.reports.contains("FATAL_ERROR DOWN HERE"));
}
