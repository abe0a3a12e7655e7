#pragma once
// A file the user named, looked up once (services/NamedFile, a link the user named followed) and
// held open for reading. What a window judges, shows and copies is this very file, through this
// one descriptor, whatever its name leads to by then: a name swapped between two lookups can
// never make the window show one file and copy another. Nothing in it changes once it is made,
// so the window and its workers share it (read by offset, never by a shared file position).

#include "platform/UniqueFd.h"
#include "services/NamedFile.h"

#include <QString>
#include <memory>

class HeldFile
{
public:
    // Looks path up and opens what it leads to when that is a regular file (a pipe or device is
    // never opened, so never waited on); never null.
    static std::shared_ptr<const HeldFile> open(const QString &path);

    const QString &path() const { return mPath; }
    // What the name led to, as a later save compares it (the file's status as opened).
    const FileIdentity &identity() const { return mIdentity; }
    // Something stood at the name.
    bool exists() const { return mIdentity.exists; }
    // A regular file, open for reading as fd().
    bool isRegularFile() const { return mFd.isOpen(); }
    int fd() const { return mFd.get(); }
    qint64 size() const { return mIdentity.file.size; }
    // Its permission bits (0 when it is no regular file).
    int permissions() const { return mPermissions; }
    // True when the file held has changed since it was opened (content, size, times, owner or
    // links move its status), or is no regular file.
    bool changedSinceOpened() const;

private:
    HeldFile() = default;

    QString mPath;
    FileIdentity mIdentity;
    platform::UniqueFd mFd;
    int mPermissions = 0;
};
