#pragma once
// Whether anything opened an item since the watch began: the kernel reports every open of the
// inode (a pipe's, a device's) as it happens, so a count taken after a call returns is exact, and
// a handle that opens nothing (O_PATH) is not counted. Only the item's own opens count, so a
// watched pipe or device node made for the test hears no one else.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>

namespace pelkotest {

class OpenWatch
{
public:
    explicit OpenWatch(const QString &path) : mFd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        mWatching =
            mFd >= 0 && ::inotify_add_watch(mFd, QFile::encodeName(path).constData(), IN_OPEN) >= 0;
    }
    ~OpenWatch()
    {
        if (mFd >= 0)
            ::close(mFd);
    }
    OpenWatch(const OpenWatch &) = delete;
    OpenWatch &operator=(const OpenWatch &) = delete;

    bool isWatching() const { return mWatching; }

    // The opens reported since the last call (or since the watch began).
    int opens()
    {
        int count = 0;
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(mFd, buffer, sizeof buffer);
            if (n <= 0)
                return count;
            for (ssize_t at = 0; at < n;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                count += (event->mask & IN_OPEN) ? 1 : 0;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    }

private:
    int mFd;
    bool mWatching = false;
};

} // namespace pelkotest
