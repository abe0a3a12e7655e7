#pragma once
// A copy's temporary entry beside its target, named ".NAME.pelko-XXXXXX" in a folder held open.
// It is removed when its owner goes, on every way out, unless it was put in place. It is
// recorded before it is made (services/TemporaryRecord), so one a killed copy left behind is
// removed by the next start, and nothing is ever removed for its name alone.

#include "services/TemporaryRecord.h"

#include <QByteArray>

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
    // name where the file system can tell. False with errno set.
    bool placeAs(const QByteArray &name, bool replace);

private:
    template <class Make> int create(const QByteArray &target, Make make);

    // Declared first, so it goes last: the entry is gone or in place by then.
    TemporaryRecord mRecord;
    int mFolder;
    QByteArray mName;
};
