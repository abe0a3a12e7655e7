#pragma once
// A file named by a path, looked up once and then used only through descriptors.
//
// The folder of the name is opened, and the entry in it opened where it stands (O_PATH, no link
// followed). A link there is followed only when asked (a name the user gave): its text is read
// from the link held open, and looked up from the folder the link lies in, hop by hop. What was
// found is then read, written, renamed over or made beside through these descriptors, so a name
// swapped meanwhile can never lead the work to another file; and what the name led to (a
// FileIdentity) can be compared whole with what a window read.

#include "platform/UniqueFd.h"

#include <QByteArray>
#include <QString>
#include <sys/stat.h>

// One file's status, as far as a change to the file shows in it.
struct FileStamp
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedSeconds = 0, modifiedNanoseconds = 0;
    qint64 changedSeconds = 0, changedNanoseconds = 0; // owner, mode, links and content move it
    bool operator==(const FileStamp &) const = default;

    static FileStamp of(const struct stat &st);
};

// What a name led to when a file was read or written. Compared whole: another file, another
// link, new content, another size, owner, mode or number of links all make it differ.
struct FileIdentity
{
    bool known = false;   // nothing recorded: nothing to compare with
    bool exists = false;  // something stood at the name (or where its link led)
    bool viaLink = false; // the name was a link, followed to the file
    FileStamp link;       // that link itself
    FileStamp file;       // what was reached (a link not followed: that link)
    bool operator==(const FileIdentity &) const = default;
};

class NamedFile
{
public:
    // Looks path up. followLink: a link standing at the name leads to its target (as a name the
    // user gave does); otherwise the link itself is what stands there.
    NamedFile(const QString &path, bool followLink);
    NamedFile(const NamedFile &) = delete;
    NamedFile &operator=(const NamedFile &) = delete;

    // 0 when something stands at the name; otherwise why not (ENOENT: nothing, or a link that
    // leads nowhere; the errors of opening the folder).
    int error() const { return mError; }
    bool exists() const { return mEntry.isOpen(); }
    // The folder was opened (a file may be made there when nothing stands at the name).
    bool folderOpen() const { return mFolder.isOpen(); }
    // The name was a link, followed.
    bool viaLink() const { return mViaLink; }
    bool isRegularFile() const { return exists() && S_ISREG(mStatus.st_mode); }
    const struct stat &status() const { return mStatus; }
    FileIdentity identity() const;

    // The folder the entry was found in, held open (O_PATH), and the entry's name there: for
    // calls relative to the folder (making a file beside it, renaming over it).
    int folder() const { return mFolder.get(); }
    const QByteArray &name() const { return mName; }
    // The entry's name in its folder, spelled through the folder held open
    // ("/proc/self/fd/F/NAME"): for calls that take a path, such as making a file beside it or
    // renaming over it.
    QByteArray pathInFolder() const;
    // The entry itself, through its own descriptor ("/proc/self/fd/E").
    QByteArray entryPath() const;
    // The entry opened with flags (O_RDONLY, O_RDWR, ...) through its descriptor: the very file
    // that was looked at. -1 with errno set.
    int reopen(int flags) const;
    // Where the entry lies now, as the kernel names it; null when nothing stands there.
    QString realPath() const;

private:
    void lookUp(QByteArray path, bool followLink);

    platform::UniqueFd mFolder, mEntry;
    QByteArray mName;
    struct stat mStatus
    {
    };
    struct stat mLink
    {
    };
    bool mViaLink = false;
    int mError = 0;
};

// What the name leads to now, looked up as a save after that read would look it up: a link is
// followed only when the read followed one, or when nothing was recorded. *realPath (may be
// null) gets where the entry lies.
FileIdentity IdentityNow(const QString &path, const FileIdentity &read,
                         QString *realPath = nullptr);
