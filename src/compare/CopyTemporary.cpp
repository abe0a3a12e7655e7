#include "compare/CopyTemporary.h"

#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kMark[] = ".pelko-";
constexpr size_t kSuffixLength = 6;
constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

CopyTemporary::RenameNoReplace &renameNoReplaceHook()
{
    static CopyTemporary::RenameNoReplace hook;
    return hook;
}

int renameNoReplace(int folder, const char *from, const char *to)
{
    if (const CopyTemporary::RenameNoReplace &hook = renameNoReplaceHook())
        return hook(folder, from, to);
    return ::renameat2(folder, from, folder, to, RENAME_NOREPLACE);
}

} // namespace

void CopyTemporary::setRenameNoReplaceHook(RenameNoReplace hook)
{
    renameNoReplaceHook() = std::move(hook);
}

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
        if (made < 0 && errno == EEXIST)
            continue;
        if (made < 0)
            break;
        // Recorded only once the exclusive create made it: a name found taken is never named.
        mName = name;
        struct stat st
        {
        };
        if (::fstatat(mFolder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
            mRecord.made(mFolder, name, st);
        return made;
    }
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
    if (replace) {
        done = ::renameat(mFolder, mName.constData(), mFolder, name.constData());
    } else {
        done = renameNoReplace(mFolder, mName.constData(), name.constData());
        // A file system that cannot rename only into a free name can still make a second name
        // only where none stands; the temporary one goes then.
        if (done != 0 && (errno == EINVAL || errno == ENOSYS)) {
            done = ::linkat(mFolder, mName.constData(), mFolder, name.constData(), 0);
            if (done == 0)
                ::unlinkat(mFolder, mName.constData(), 0);
        }
    }
    if (done == 0) {
        mName.clear();
        mRecord.forget();
    }
    return done == 0;
}
