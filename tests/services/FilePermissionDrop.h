#pragma once
// Tests that need a folder the process may not write run as root in containers and CI, where
// permission bits do not stop anything. While this object lives, the calling thread gives up the
// capabilities that override file permissions, so a 0555 folder is read-only for it too.

#include <QFile>
#include <QString>
#include <cstring>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace pelkotest {

class FilePermissionDrop
{
public:
    FilePermissionDrop()
    {
        if (::geteuid() != 0) {
            mActive = true; // permission bits already apply
            return;
        }
        if (::syscall(SYS_capget, &mHeader, mSaved) != 0)
            return;
        __user_cap_data_struct lowered[2];
        std::memcpy(lowered, mSaved, sizeof lowered);
        const quint32 overrides =
            (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);
        lowered[0].effective &= ~overrides;
        mLowered = ::syscall(SYS_capset, &mHeader, lowered) == 0;
        mActive = mLowered;
    }
    ~FilePermissionDrop()
    {
        if (mLowered)
            ::syscall(SYS_capset, &mHeader, mSaved);
    }
    FilePermissionDrop(const FilePermissionDrop &) = delete;
    FilePermissionDrop &operator=(const FilePermissionDrop &) = delete;

    // True when the folder really refuses new files for this thread now.
    bool folderRefusesWrites(const QString &folder) const
    {
        if (!mActive)
            return false;
        QFile probe(folder + QStringLiteral("/.probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.close();
            probe.remove();
            return false;
        }
        return true;
    }
    bool active() const { return mActive; }

private:
    __user_cap_header_struct mHeader{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct mSaved[2]{};
    bool mLowered = false;
    bool mActive = false;
};

} // namespace pelkotest
