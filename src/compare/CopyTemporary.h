#pragma once
// A copy's temporary entry beside its target, named ".NAME.pelko-XXXXXX" in a folder held open.
// It is removed when its owner goes, on every way out, unless it was put in place; one a killed
// copy left behind is recognised by its name and removed by a later walk of the folder.

#include <QByteArray>
#include <ctime>

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

    // Whether the name is that of a copy's temporary entry.
    static bool isTemporaryName(const char *name);
    // Removes the entry of the folder when it is a copy's temporary file of this user left behind
    // by a copy that stopped: a plain file with one name whose content and status have not
    // changed since olderThan. True when it was removed.
    static bool removeLeftover(int folder, const char *name, std::time_t olderThan);

private:
    template <class Make> int create(const QByteArray &target, Make make);

    int mFolder;
    QByteArray mName;
};
