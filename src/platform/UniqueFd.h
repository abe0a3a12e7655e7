#pragma once
// An owned POSIX file descriptor, closed when its owner goes.

#include <unistd.h>
#include <utility>

namespace platform {

class UniqueFd
{
public:
    explicit UniqueFd(int fd = -1) : mFd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd &&other) noexcept : mFd(other.release()) {}
    UniqueFd &operator=(UniqueFd &&other) noexcept
    {
        std::swap(mFd, other.mFd);
        return *this;
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;

    int get() const { return mFd; }
    bool isOpen() const { return mFd >= 0; }
    // Gives the descriptor up without closing it.
    int release() { return std::exchange(mFd, -1); }
    void reset()
    {
        if (mFd >= 0)
            ::close(mFd);
        mFd = -1;
    }

private:
    int mFd;
};

} // namespace platform
