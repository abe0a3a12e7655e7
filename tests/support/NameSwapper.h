#pragma once
// What a second process racing a save does: a thread that swaps a file's name with the name of a
// link (RENAME_EXCHANGE) again and again, pausing a moment of its own choosing between swaps,
// until it goes. A save that renamed a new file over the link took the link away; it is put
// back, so the race goes on.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtGlobal>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace pelkotest {

class NameSwapper
{
public:
    // file and link: two names in one folder; linkTarget: where a link put back leads. With
    // putBack false the link is never put back (the test does it between its own steps).
    NameSwapper(const QString &file, const QString &link, const QString &linkTarget,
                bool putBack = true)
        : mA(QFile::encodeName(file)), mB(QFile::encodeName(link)),
          mSpare(QFile::encodeName(link + QStringLiteral(".spare"))),
          mTarget(QFile::encodeName(linkTarget)), mPutBack(putBack), mThread([this] { run(); })
    {
        while (mSwaps.load() == 0)
            std::this_thread::yield();
    }
    ~NameSwapper()
    {
        mDone = true;
        mThread.join();
    }
    NameSwapper(const NameSwapper &) = delete;
    NameSwapper &operator=(const NameSwapper &) = delete;

private:
    void run()
    {
        quint32 seed = 12345;
        while (!mDone.load()) {
            ::renameat2(AT_FDCWD, mA.constData(), AT_FDCWD, mB.constData(), RENAME_EXCHANGE);
            ++mSwaps;
            seed = seed * 1103515245u + 12345u;
            std::this_thread::sleep_for(std::chrono::microseconds((seed >> 16) % 400));
            struct stat st;
            if (mPutBack && ::lstat(mA.constData(), &st) == 0 && !S_ISLNK(st.st_mode) &&
                ::lstat(mB.constData(), &st) == 0 && !S_ISLNK(st.st_mode) &&
                ::symlink(mTarget.constData(), mSpare.constData()) == 0)
                ::rename(mSpare.constData(), mB.constData());
        }
    }

    const QByteArray mA, mB, mSpare, mTarget;
    const bool mPutBack;
    std::atomic<bool> mDone{false};
    std::atomic<int> mSwaps{0};
    std::thread mThread; // last: it starts once the rest is made
};

} // namespace pelkotest
