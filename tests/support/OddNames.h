#pragma once
// A file or folder name that could put a line of its own into a message, or turn the message's
// text around, were it shown as it is: it holds a line feed, a carriage return, a tab, a
// right-to-left override and a byte that is not UTF-8. Tests give it to the application where
// it shows names, check the texts with showsOddNameOnItsLine, and remove what they made with
// removeTree (Qt's own clean-up of the test home cannot name such bytes).

#include "platform/LocalPath.h"

#include <QByteArray>
#include <QString>
#include <fcntl.h>
#include <ftw.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace pelkotest {

inline const QByteArray kOddName = QByteArrayLiteral("odd\nname\r\tx\xE2\x80\xAE"
                                                     "b\xFF.txt");
// How every text of the application shows it.
inline const QString kOddNameShown = QStringLiteral("odd\\nname\\r\\tx\\u202eb\\xff.txt");

// The path of name in folder as the application holds it: the file system's bytes kept.
inline QString oddPath(const QString &folder, const QByteArray &name = kOddName)
{
    return LocalPath_FromBytes(LocalPath_ToBytes(folder) + '/' + name);
}

// Writes bytes to the file at path, named by the path's bytes.
inline bool writeOddFile(const QString &path, const QByteArray &bytes)
{
    const int fd =
        ::open(LocalPath_ToBytes(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
}

// Removes the file or folder tree at path, by its bytes, following no link.
inline void removeTree(const QString &path)
{
    ::nftw(
        LocalPath_ToBytes(path).constData(),
        [](const char *name, const struct stat *, int, struct FTW *) { return ::remove(name); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

// Success when text shows the odd name as kOddNameShown and holds nothing that lets a name break
// its line or turn its text around: no control but the text's own line feeds, no line or
// paragraph separator, no direction mark, no byte that is not UTF-8 and no replacement
// character standing for one.
inline ::testing::AssertionResult showsOddNameOnItsLine(const QString &text)
{
    if (!text.contains(kOddNameShown))
        return ::testing::AssertionFailure()
               << "the name is not shown as " << kOddNameShown.toStdString() << " in "
               << text.toStdString();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool control = (u < 0x20 && u != u'\n') || (u >= 0x7f && u <= 0x9f);
        const bool direction = (u >= 0x202a && u <= 0x202e) || (u >= 0x2066 && u <= 0x2069) ||
                               u == 0x200e || u == 0x200f || u == 0x061c;
        const bool byte = u >= 0xdc80 && u <= 0xdcff;
        if (control || direction || byte || u == 0x2028 || u == 0x2029 || u == 0xfffd)
            return ::testing::AssertionFailure()
                   << "U+" << QString::number(u, 16).toStdString() << " in " << text.toStdString();
    }
    return ::testing::AssertionSuccess();
}

} // namespace pelkotest
