#include "compare/CopyTemporary.h"

#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kMark[] = ".pelko-";
constexpr size_t kMarkLength = sizeof(kMark) - 1;
constexpr size_t kSuffixLength = 6;
constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

} // namespace

CopyTemporary::~CopyTemporary()
{
    if (!mName.isEmpty())
        ::unlinkat(mFolder, mName.constData(), 0);
}

template <class Make> int CopyTemporary::create(const QByteArray &target, Make make)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray name = '.' + target.left(100) + kMark;
        for (size_t k = 0; k < kSuffixLength; ++k)
            name += kLetters[QRandomGenerator::global()->bounded(int(sizeof(kLetters) - 1))];
        const int made = make(name);
        if (made >= 0) {
            mName = name;
            return made;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

int CopyTemporary::createFile(const QByteArray &target)
{
    return create(target, [this](const QByteArray &name) {
        return ::openat(mFolder, name.constData(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    });
}

bool CopyTemporary::createLink(const QByteArray &target, const QByteArray &text)
{
    return create(target, [this, &text](const QByteArray &name) {
               return ::symlinkat(text.constData(), mFolder, name.constData());
           }) == 0;
}

bool CopyTemporary::placeAs(const QByteArray &name, bool replace)
{
    int done = -1;
    if (!replace) {
        done = ::renameat2(mFolder, mName.constData(), mFolder, name.constData(), RENAME_NOREPLACE);
        replace = done != 0 && (errno == EINVAL || errno == ENOSYS);
    }
    if (replace)
        done = ::renameat(mFolder, mName.constData(), mFolder, name.constData());
    if (done == 0)
        mName.clear();
    return done == 0;
}

bool CopyTemporary::isTemporaryName(const char *name)
{
    const size_t n = std::strlen(name);
    if (n < 2 + kMarkLength + kSuffixLength || name[0] != '.')
        return false;
    const char *mark = name + n - kSuffixLength - kMarkLength;
    if (std::memcmp(mark, kMark, kMarkLength) != 0)
        return false;
    for (const char *c = mark + kMarkLength; *c; ++c)
        if (!isLetter(*c))
            return false;
    return true;
}

bool CopyTemporary::removeLeftover(int folder, const char *name, std::time_t olderThan)
{
    if (!isTemporaryName(name))
        return false;
    struct stat st
    {
    };
    // A copy under way keeps writing, which keeps both times fresh; its last step sets the
    // modification time alone.
    if (::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid() || st.st_nlink != 1 || st.st_mtim.tv_sec >= olderThan ||
        st.st_ctim.tv_sec >= olderThan)
        return false;
    return ::unlinkat(folder, name, 0) == 0;
}
