// The background line compare: the same blocks as the blocking one, long quoted lines passed over,
// failures reported, and a cancelled job leaving no files behind.
#include "support/MergeBlocks.h"
#include "compare/LineCompareJob.h"
#include "services/SupportFolder.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>
#include <gtest/gtest.h>
#include <optional>

using pelkotest::makeBlock;

namespace {

std::optional<LineCompareResult> run(LineCompareJob &job)
{
    std::optional<LineCompareResult> result;
    QObject::connect(&job, &LineCompareJob::finished,
                     [&](const LineCompareResult &r) { result = r; });
    if (!QTest::qWaitFor([&] { return result.has_value(); }, 20000))
        return std::nullopt;
    return result;
}

QStringList jobFolders()
{
    return QDir(GetProcessTempFolder())
        .entryList({QStringLiteral("compare-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
}

} // namespace

TEST(LineCompareJob, TextsGiveTheBlocksOfTheBlockingCompare)
{
    struct Row
    {
        const char *name;
        QString left, right;
    };
    const QString longLine(300000, u'x');
    const Row rows[] = {
        {"change, insert, delete", QStringLiteral("a\nb\nc\nd\n"), QStringLiteral("a\nB\nc\nx\n")},
        {"same", QStringLiteral("same\n"), QStringLiteral("same\n")},
        {"no final line end", QStringLiteral("a\nb"), QStringLiteral("a\nc")},
        // Quoted lines far longer than a pipe's buffer are passed over, not gathered.
        {"long quoted lines", longLine + QStringLiteral("\n1\n"),
         longLine + QStringLiteral("y\n1\n")},
        {"surrogate pairs", QString::fromUtf8("\xF0\x9F\x98\x80\n") + QString(1 << 20, u'z'),
         QString::fromUtf8("\xF0\x9F\x98\x81\n") + QString(1 << 20, u'z')},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        LineCompareJob job;
        job.startTexts(row.left, row.right, {});
        EXPECT_TRUE(job.isRunning());
        const auto result = run(job);
        ASSERT_TRUE(result.has_value());
        ASSERT_TRUE(result->blocks.has_value()) << result->error.toStdString();
        const auto expected = LineCompare_Texts(row.left, row.right, {});
        ASSERT_TRUE(expected.has_value());
        EXPECT_EQ(*result->blocks, *expected);
        EXPECT_EQ(result->text1, row.left);
        EXPECT_EQ(result->table1, BuildLineTable(row.left));
        EXPECT_EQ(result->table2, BuildLineTable(row.right));
        EXPECT_FALSE(job.isRunning());
    }
    EXPECT_TRUE(jobFolders().isEmpty());
}

TEST(LineCompareJob, FilesAndOptions)
{
    const QString dir = pelkotest::freshDir(QStringLiteral("linecomparejob"));
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/-a.txt"), "One\ntwo\n"));
    ASSERT_TRUE(pelkotest::writeFile(dir + QStringLiteral("/b.txt"), "one\ntwo\nthree\n"));
    LineCompareOptions icase;
    icase.ignoreCase = true;
    LineCompareJob job;
    job.startFiles(dir + QStringLiteral("/-a.txt"), dir + QStringLiteral("/b.txt"),
                   QStringLiteral("One\ntwo\n"), QStringLiteral("one\ntwo\nthree\n"), icase);
    const auto result = run(job);
    ASSERT_TRUE(result && result->blocks);
    EXPECT_EQ(*result->blocks, (MergeBlockList{makeBlock(2, 0, 2, 1)}));
    EXPECT_TRUE(job.workFolder().isEmpty()) << "files are compared where they are";
}

TEST(LineCompareJob, AMissingFileIsAFailureNotAnEmptyResult)
{
    LineCompareJob job;
    job.startFiles(QStringLiteral("/nonexistent/one"), QStringLiteral("/nonexistent/two"),
                   QStringLiteral("a"), QStringLiteral("b"), {});
    const auto result = run(job);
    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(result->blocks.has_value());
    EXPECT_FALSE(result->error.isEmpty());
}

TEST(LineCompareJob, DeletingARunningJobLeavesNoFilesAndNoResult)
{
    const QString big(8 << 20, u'q');
    for (int wait : {0, 5, 30}) {
        SCOPED_TRACE(wait);
        bool finished = false;
        {
            LineCompareJob job;
            QObject::connect(&job, &LineCompareJob::finished, [&] { finished = true; });
            job.startTexts(big + QStringLiteral("\n1\n"), big + QStringLiteral("\n2\n"), {});
            QTest::qWait(wait);
        }
        QThreadPool::globalInstance()->waitForDone();
        ASSERT_TRUE(pelkotest::deliverPostedEvents());
        EXPECT_TRUE(jobFolders().isEmpty()) << jobFolders().join(u' ').toStdString();
        if (wait == 0) {
            EXPECT_FALSE(finished);
        }
    }
}
