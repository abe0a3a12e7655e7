// The records of temporary files made beside a user's files, as the next start reads them.
#include "services/FileReplace.h"
#include "services/TemporaryRecord.h"
#include "platform/UniqueFd.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QStringList recordNames()
{
    return QDir(TemporaryRecordsFolder()).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// A record is written whole or not at all: one that cannot be written (here, past the file-size
// limit a few bytes before its end) is no record, so the start never finds one that names a
// temporary without saying what it is.
TEST(TemporaryRecord, ARecordThatCannotBeWrittenWholeIsNone)
{
    ASSERT_FALSE(TemporaryRecordsFolder().isEmpty());
    const QString folder = pelkotest::freshDir(QStringLiteral("records"));
    ASSERT_TRUE(pelkotest::writeFile(folder + QStringLiteral("/.t.pelko-Ab3dE9"), ""));
    const platform::UniqueFd dir(
        ::open(QFile::encodeName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat st;
    ASSERT_EQ(::fstatat(dir.get(), ".t.pelko-Ab3dE9", &st, AT_SYMLINK_NOFOLLOW), 0);
    const QStringList before = recordNames();
    qint64 whole = 0;
    {
        TemporaryRecord record;
        ASSERT_TRUE(record.made(dir.get(), ".t.pelko-Ab3dE9", st));
        const QStringList now = recordNames();
        ASSERT_EQ(now.size(), before.size() + 1);
        for (const QString &name : now)
            if (!before.contains(name))
                whole = QFileInfo(TemporaryRecordsFolder() + u'/' + name).size();
    }
    ASSERT_GT(whole, 10);
    EXPECT_EQ(recordNames(), before);

    IgnoreFileSizeSignal();
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = rlim_t(whole - 4);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    TemporaryRecord record;
    const bool made = record.made(dir.get(), ".t.pelko-Ab3dE9", st);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &saved), 0);
    EXPECT_FALSE(made);
    EXPECT_EQ(recordNames(), before);
}

} // namespace
