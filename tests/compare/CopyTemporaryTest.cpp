// A copy's temporary entry and how it takes its place.
#include "compare/CopyTemporary.h"
#include "platform/UniqueFd.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// On a file system that cannot rename only into a free name, the temporary still never takes a
// name that something holds: a file made there meanwhile stays, and a free name is taken.
TEST(CopyTemporary, ANameTakenMeanwhileIsNeverReplaced)
{
    CopyTemporary::setRenameNoReplaceHook([](int, const char *, const char *) {
        errno = EINVAL;
        return -1;
    });
    const QString folder = pelkotest::freshDir(QStringLiteral("placing"));
    ASSERT_TRUE(pelkotest::writeFile(folder + QStringLiteral("/taken"), "made meanwhile"));
    const platform::UniqueFd dir(
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (const bool asLink : {false, true}) {
        SCOPED_TRACE(asLink ? "a link" : "a file");
        {
            CopyTemporary temp(dir.get());
            if (asLink) {
                ASSERT_TRUE(temp.createLink("taken", "target of the copy"));
            } else {
                const int fd = temp.createFile("taken");
                ASSERT_GE(fd, 0);
                EXPECT_EQ(::write(fd, "copied", 6), 6);
                ::close(fd);
            }
            errno = 0;
            EXPECT_FALSE(temp.placeAs("taken", false));
            EXPECT_EQ(errno, EEXIST);
            EXPECT_EQ(pelkotest::readFile(folder + QStringLiteral("/taken")), "made meanwhile");
            EXPECT_TRUE(temp.placeAs(asLink ? "free-link" : "free", false));
        }
        EXPECT_EQ(
            QDir(folder)
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                .size(),
            asLink ? 3 : 2);
    }
    EXPECT_EQ(pelkotest::readFile(folder + QStringLiteral("/free")), "copied");
    EXPECT_EQ(QFile::symLinkTarget(folder + QStringLiteral("/free-link")),
              folder + QStringLiteral("/target of the copy"));
    CopyTemporary::setRenameNoReplaceHook(nullptr);
}

} // namespace
