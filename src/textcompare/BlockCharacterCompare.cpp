#include "textcompare/BlockCharacterCompare.h"

#include "platform/Guard.h"
#include "services/WorkerFailure.h"

#include <QFutureWatcher>
#include <QtConcurrent>
#include <optional>

BlockCharacterCompare::BlockCharacterCompare(QObject *parent) : QObject(parent)
{}

BlockCharacterCompare::~BlockCharacterCompare()
{
    cancel();
}

void BlockCharacterCompare::start(const QString &text1, Range range1, const QString &text2,
                                  Range range2, std::function<void(const InlineDiff &)> done)
{
    cancel();
    const quint64 request = ++*mLatest;
    using Watcher = QFutureWatcher<std::optional<InlineDiff>>;
    auto *watcher = new Watcher(this);
    mWatcher = watcher;
    mRunning = true;
    connect(watcher, &Watcher::finished, this, [this, watcher, done = std::move(done)] {
        GUARD_BEGIN
        // One that stopped on an exception leaves the block without its marks, and ends all the
        // same.
        const std::optional<InlineDiff> result =
            TakeFinishedResult("compare", watcher->future()).value_or(std::nullopt);
        watcher->deleteLater();
        if (mWatcher != watcher)
            return;
        mWatcher = nullptr;
        mRunning = false;
        if (result && done)
            done(*result);
        GUARD_END_VOID
    });
    // The worker holds its own references to the texts: an edit in the window detaches the
    // window's copy and leaves these as they were compared.
    watcher->setFuture(QtConcurrent::run([latest = mLatest, request, text1, range1, text2,
                                          range2]() -> std::optional<InlineDiff> {
        if (latest->load() != request)
            return std::nullopt;
        InlineDiff d = CompareCharacters(QStringView(text1).mid(range1.location, range1.length),
                                         QStringView(text2).mid(range2.location, range2.length));
        for (Range &r : d.changed1)
            r.location += range1.location;
        for (Range &r : d.changed2)
            r.location += range2.location;
        return d;
    }));
}

void BlockCharacterCompare::cancel()
{
    ++*mLatest;
    if (mWatcher) {
        mWatcher->disconnect(this);
        mWatcher->deleteLater();
        mWatcher = nullptr;
    }
    mRunning = false;
}
