#pragma once
// Opening a file for reading only once it is known to be a regular file. A pipe, socket or device
// is never opened: opening a FIFO wakes its waiting writer (or waits for one), and opening a
// device runs that device's own open (a tape rewinds, a terminal becomes the controlling one).
// So the name is first opened as a handle that opens nothing (O_PATH), judged by fstat on that
// handle, and only a regular file is then opened for reading, through that very handle.

#include "platform/UniqueFd.h"

#include <QByteArray>
#include <sys/stat.h>

namespace platform {

enum class RegularOpenFailure {
    None,
    Missing,     // nothing by that name, or a folder on the way is gone
    NameTooLong, // longer than the system takes
    Link,        // a link where none may be followed
    NotRegular,  // a folder, pipe, socket or device: never opened for reading
    Unreadable,  // there, but may not be read
};

struct RegularFile
{
    UniqueFd fd; // open for reading, blocking; closed on failure
    struct stat st
    {
    }; // of the file opened
    RegularOpenFailure failure = RegularOpenFailure::None;
    int error = 0; // errno of the failure (EINVAL for NotRegular)

    bool isOpen() const { return fd.isOpen(); }
};

// The regular file `name` in the folder open as `folder` (AT_FDCWD: name is a path, whose folders
// on the way are looked up as usual). A link at the last name is followed only with followLink.
RegularFile OpenRegularFileAt(int folder, const QByteArray &name, bool followLink);

} // namespace platform
