#pragma once
// Paths as text that keep every byte of the file system's name. Linux names are bytes; most are
// UTF-8, some are not (names made in Latin-1 or Shift_JIS times). A byte that is not part of valid
// UTF-8 becomes one of the code points U+DC80..U+DCFF, which valid UTF-8 never decodes to, so the
// text converts back to exactly the bytes it came from. Such a code point shows as a replacement
// mark; LocalPath_Shown gives the readable form.
//
// QFile, QFileInfo and QProcess turn such code points into U+FFFD and so name another file:
// whatever looks a user's path up goes through the helpers below.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <memory>

class QFile;

QString LocalPath_FromBytes(const QByteArray &bytes);
QByteArray LocalPath_ToBytes(const QString &path);

// The path for the eye: each byte that is not UTF-8 as \xNN, so two such names never look alike.
QString LocalPath_Shown(const QString &path);

// The path with every link and "." or ".." resolved (realpath); empty when it cannot be.
QString LocalPath_Canonical(const QString &path);

// What the file system says of the item at path, looked up by the path's bytes. As QFileInfo:
// a link is followed for everything but isSymLink, and a missing item (or a broken link) does
// not exist.
class LocalPathInfo
{
public:
    explicit LocalPathInfo(const QString &path);

    bool exists() const { return mExists; }
    bool isSymLink() const { return mIsLink; }
    bool isFile() const { return mIsFile; }
    bool isDir() const { return mIsDir; }
    qint64 size() const { return mSize; }
    QDateTime lastModified() const { return mModified; }
    int permissions() const { return mPermissions; } // POSIX mode bits; -1 when missing

private:
    bool mExists = false, mIsLink = false, mIsFile = false, mIsDir = false;
    qint64 mSize = 0;
    QDateTime mModified;
    int mPermissions = -1;
};

// The regular file at path (a link to one counts), open for reading by the path's bytes; nullptr
// for anything else. A pipe or device is judged before anything opens it (platform/RegularFile)
// and never opened.
std::unique_ptr<QFile> LocalPath_OpenRegularFile(const QString &path);
