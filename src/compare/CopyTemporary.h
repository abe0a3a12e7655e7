#pragma once
// A copy's temporary entry beside its target, named ".NAME.pelko-XXXXXX" in a folder held open.
// It is removed when its owner goes, on every way out, unless it was put in place. It is
// recorded once its exclusive create has made it (services/TemporaryRecord), so one a killed copy
// left behind is removed by the next start, and nothing is ever removed for its name alone.

#include "services/TemporaryRecord.h"

#include <QByteArray>
#include <functional>

class CopyTemporary
{
public:
    explicit CopyTemporary(int folder) : mFolder(folder) {}
    ~CopyTemporary();
    CopyTemporary(const CopyTemporary &) = delete;
    CopyTemporary &operator=(const CopyTemporary &) = delete;

    const QByteArray &name() const { return mName; }

    // A new empty file beside target only this user may read; its descriptor, or -1 with errno
    // set.
    int createFile(const QByteArray &target);
    // A new link beside target holding text; false with errno set.
    bool createLink(const QByteArray &target, const QByteArray &text);
    // Renames it to name: over what stands there when replace is set, otherwise only into a free
    // name (on a file system that cannot rename so, by a second name made only where none
    // stands). False with errno set (EEXIST: the name was taken).
    bool placeAs(const QByteArray &name, bool replace);

    // Stands in for renameat2 with RENAME_NOREPLACE (tests: a file system that refuses it);
    // nullptr for the system's own.
    using RenameNoReplace = std::function<int(int folder, const char *from, const char *to)>;
    static void setRenameNoReplaceHook(RenameNoReplace hook);

private:
    template <class Make> int create(const QByteArray &target, Make make);

    // Declared first, so it goes last: the entry is gone or in place by then.
    TemporaryRecord mRecord;
    int mFolder;
    QByteArray mName;
};
