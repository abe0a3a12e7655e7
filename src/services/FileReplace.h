#pragma once
// Writing new content over a file the user named, changing nothing else the user can see.
//
// A new file is written beside the old one and renamed over it only when the rename changes
// nothing visible: the file has one name, the new file can have its owner and group, and the
// folder takes new files. Otherwise (hard links, another user's file this user may write, a
// folder that takes no new files) the file itself is rewritten: its old bytes are first copied
// aside (services/InterruptedSaves, where they outlive a crash and the next start offers them
// back), and put back when the write fails. A renamed file gets the old one's extended
// attributes (ACLs among them); when they cannot be given, the file is rewritten in place. A
// link the user named is followed: its target gets the content.
//
// The name is looked up once (services/NamedFile): the file judged is the file written, through
// its descriptor or the descriptor of the folder it was found in, never through a second lookup
// that a name swapped meanwhile could lead elsewhere.

#include "services/NewContent.h"

#include <QByteArray>
#include <QString>

#include <atomic>

struct FileIdentity;

enum class FileWriteFailure {
    None,
    ReadOnlyFile,      // the file (or its disk) refuses writing
    FolderNotWritable, // a new file cannot be made in the folder
    DiskFull,          // no room left (or over the quota)
    FileTooLarge,      // larger than this process may write (the file-size limit, ulimit -f)
    NotRegularFile,    // a folder, pipe or device stands at the path (it changed type)
    ChangedOnDisk,     // the path no longer leads to the file as it was read
    SourceChanged,     // the file copied from changed while it was read
    CannotEncode,      // the text cannot be written in the chosen encoding
    Other,
};

// What the user is told about a failure (translated); empty for None.
QString FileWriteFailureText(FileWriteFailure failure);

// How a save went.
enum class FileWriteWay { Renamed, InPlace, Created };

// What a link standing at the path means: a link the user named leads to the file to write; one
// that stands where the application expects a file it found itself (a folder copy) is refused.
enum class LinkAtPath { Follow, Refuse };

// Writes the bytes as the content of path. permissions: POSIX mode bits to give the file, -1 to
// keep those of an existing one (a new file gets defaultMode). On failure the old file is as it
// was, and *failure (may be null) says why; *way (may be null) says how a success was reached.
// realPath, when path reaches the file through something only this process holds (an open
// folder's /proc/self/fd entry), is the file's path for everyone else: the kept old content names
// the file by it, so that the next start finds the file.
bool ReplaceFileContent(const QString &path, const QByteArray &bytes, int permissions,
                        int defaultMode, FileWriteFailure *failure = nullptr,
                        FileWriteWay *way = nullptr, LinkAtPath link = LinkAtPath::Follow,
                        const QString &realPath = QString());

// As ReplaceFileContent, with the first size bytes of the file open as sourceFd as the new content,
// read a block at a time (never held whole). A source whose bytes change while they are read
// fails with SourceChanged, the old file as it was. When cancel (may be null) is set, the write
// stops at the next block and fails (Other), the old file as it was.
bool ReplaceFileContentFrom(const QString &path, int sourceFd, qint64 size, int permissions,
                            int defaultMode, FileWriteFailure *failure = nullptr,
                            FileWriteWay *way = nullptr, LinkAtPath link = LinkAtPath::Follow,
                            const QString &realPath = QString(),
                            const std::atomic<bool> *cancel = nullptr);

// As ReplaceFileContent, for a file a window read: the path is written only while it leads to
// what expected records (from the read, or from the last write); a link is followed only when
// the read followed one. Otherwise nothing is written and *failure is ChangedOnDisk. On success
// *written (may be null) gets what the path leads to now, for the next save to compare with.
// An expected identity that is not known checks nothing.
bool ReplaceReadFileContent(const QString &path, const FileIdentity &expected,
                            const QByteArray &bytes, int permissions, int defaultMode,
                            FileWriteFailure *failure = nullptr, FileIdentity *written = nullptr);

// As ReplaceReadFileContent, with the first size bytes of the file open as sourceFd as the new
// content, read a block at a time as ReplaceFileContentFrom reads it. progress (may be empty) is
// told how far the copy has come; when it answers false the copy stops (failure Other) and the
// old file stays as it was.
bool ReplaceReadFileContentFrom(const QString &path, const FileIdentity &expected, int sourceFd,
                                qint64 size, int permissions, int defaultMode,
                                FileWriteFailure *failure = nullptr,
                                FileIdentity *written = nullptr,
                                const ContentProgress &progress = {});

// A write past the file-size limit (ulimit -f) ends the process unless SIGXFSZ is handled: it is
// ignored (when nothing else handles it), so such a write fails with EFBIG and the old bytes can
// be put back. Saves do it themselves; start-up does it for every other writer.
void IgnoreFileSizeSignal();

// The mode of a new file under the process's umask (0666 less the mask), read without changing
// the umask.
int DefaultNewFileMode();
