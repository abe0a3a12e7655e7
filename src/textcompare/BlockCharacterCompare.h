#pragma once
// The in-line compare of the block being shown, on a worker: the block is shown at once and its
// changed characters follow. Only the answer to the last request arrives; a new request or a
// cancel drops the one before, whose search is skipped when it has not begun.

#include "compare/InlineCompare.h"
#include "platform/Range.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class BlockCharacterCompare : public QObject
{
    Q_OBJECT
public:
    explicit BlockCharacterCompare(QObject *parent = nullptr);
    ~BlockCharacterCompare() override;

    // Compares range1 of text1 with range2 of text2; `done` runs on this object's thread with the
    // changed runs in positions of the whole texts, unless another start or a cancel came first.
    void start(const QString &text1, Range range1, const QString &text2, Range range2,
               std::function<void(const InlineDiff &)> done);
    void cancel();
    bool isRunning() const { return mRunning; }

private:
    // The number of the last request; a worker whose request is older gives up before it starts.
    std::shared_ptr<std::atomic<quint64>> mLatest = std::make_shared<std::atomic<quint64>>(0);
    QObject *mWatcher = nullptr;
    bool mRunning = false;
};
