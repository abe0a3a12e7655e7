#include "compare/LineCompareJob.h"

#include "compare/DiffInputs.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/PrivateFiles.h"
#include "services/SupportFolder.h"
#include "services/WorkerFailure.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFutureWatcher>
#include <QProcess>
#include <QtConcurrent>
#include <mutex>

// What the job and its worker share. The worker may outlive the job: whichever of them is last
// removes the job's folder.
struct LineCompareJob::Shared
{
    std::mutex mutex;
    QString folder;
    bool cancelled = false;
    bool workerBusy = false;

    void removeFolder()
    {
        if (!folder.isEmpty())
            platform::RemoveTreeNoFollow(folder);
    }
};

namespace {

QAtomicInteger<quint64> gJobSerial;

// Each job works in a folder of its own, so windows comparing at the same time never share the
// copies of their texts.
QString makeJobFolder()
{
    const QString base = GetProcessTempFolder();
    if (base.isEmpty())
        return {};
    const QString folder =
        QDir(base).filePath(QStringLiteral("compare-%1").arg(gJobSerial.fetchAndAddRelaxed(1)));
    return QDir().mkpath(folder) ? folder : QString();
}

bool writeUtf8(const QString &path, const QString &text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    // In slices, so the UTF-8 copy of a large text is never held whole.
    constexpr qsizetype kSlice = 1 << 20;
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype n = std::min(kSlice, text.size() - at);
        // A surrogate pair stays in one slice.
        if (at + n < text.size() && text.at(at + n - 1).isHighSurrogate())
            ++n;
        const QByteArray bytes = QStringView(text).mid(at, n).toUtf8();
        if (f.write(bytes) != bytes.size())
            return false;
        at += n;
    }
    return f.flush();
}

} // namespace

LineCompareJob::LineCompareJob(QObject *parent)
    : QObject(parent), mShared(std::make_shared<Shared>())
{}

LineCompareJob::~LineCompareJob()
{
    if (mProcess) {
        mProcess->disconnect(this);
        mProcess->kill();
        // The child is killed: this wait is for its exit status, not for its work.
        mProcess->waitForFinished(1000);
        delete mProcess;
        mProcess = nullptr;
    }
    std::lock_guard lock(mShared->mutex);
    mShared->cancelled = true;
    if (!mShared->workerBusy)
        mShared->removeFolder();
}

QString LineCompareJob::workFolder() const
{
    return mShared->folder;
}

void LineCompareJob::startTexts(const QString &text1, const QString &text2,
                                const LineCompareOptions &options)
{
    startFiles(QString(), QString(), text1, text2, options);
}

void LineCompareJob::startFiles(const QString &path1, const QString &path2, const QString &text1,
                                const QString &text2, const LineCompareOptions &options)
{
    if (mRunning)
        return;
    mRunning = true;
    mOptions = options;
    mResult = LineCompareResult{};
    mResult.text1 = text1;
    mResult.text2 = text2;
    const bool copies = path1.isEmpty() || path2.isEmpty();
    mShared->folder = copies ? makeJobFolder() : QString();
    if (copies && mShared->folder.isEmpty()) {
        fail(QStringLiteral("cannot write the texts to compare"));
        return;
    }
    mPath1 = copies ? QDir(mShared->folder).filePath(QStringLiteral("1.txt")) : path1;
    mPath2 = copies ? QDir(mShared->folder).filePath(QStringLiteral("2.txt")) : path2;

    mDiffDone = mTablesDone = false;
    // The line tables are built while diff runs: the blocks need both.
    auto *tables = new QFutureWatcher<std::pair<LineTable, LineTable>>(this);
    connect(tables, &QFutureWatcher<std::pair<LineTable, LineTable>>::finished, this,
            [this, tables] {
                QString why;
                auto built = TakeFinishedResult("compare", tables->future(), &why);
                tables->deleteLater();
                if (!built) {
                    fail(why);
                    return;
                }
                tablesBuilt(std::move(built->first), std::move(built->second));
            });
    tables->setFuture(QtConcurrent::run([shared = mShared, text1, text2] {
        WorkerFaultPoint("compare");
        const auto cancelled = [&] {
            std::lock_guard lock(shared->mutex);
            return shared->cancelled;
        };
        std::pair<LineTable, LineTable> out;
        if (!cancelled())
            out.first = BuildLineTable(text1);
        if (!cancelled())
            out.second = BuildLineTable(text2);
        return out;
    }));
    if (!copies) {
        runDiff(mPath1, mPath2);
        return;
    }
    mShared->workerBusy = true;
    auto *watcher = new QFutureWatcher<bool>(this);
    connect(watcher, &QFutureWatcher<bool>::finished, this, [this, watcher] {
        const bool ok = TakeFinishedResult("compare", watcher->future()).value_or(false);
        watcher->deleteLater();
        prepared(ok);
    });
    watcher->setFuture(
        QtConcurrent::run([shared = mShared, path1 = mPath1, path2 = mPath2, text1, text2] {
            const auto cancelled = [&] {
                std::lock_guard lock(shared->mutex);
                return shared->cancelled;
            };
            const bool ok =
                cancelled() || (writeUtf8(path1, text1) && !cancelled() && writeUtf8(path2, text2));
            std::lock_guard lock(shared->mutex);
            shared->workerBusy = false;
            if (shared->cancelled)
                shared->removeFolder();
            return ok;
        }));
}

void LineCompareJob::tablesBuilt(LineTable table1, LineTable table2)
{
    GUARD_BEGIN
    mResult.table1 = std::move(table1);
    mResult.table2 = std::move(table2);
    mTablesDone = true;
    if (mDiffDone)
        finish();
    GUARD_END_VOID
}

void LineCompareJob::prepared(bool ok)
{
    GUARD_BEGIN
    if (!ok) {
        fail(QStringLiteral("cannot write the texts to compare"));
        return;
    }
    runDiff(mPath1, mPath2);
    GUARD_END_VOID
}

void LineCompareJob::runDiff(const QString &path1, const QString &path2)
{
    const QString tool = GetDiffToolPath();
    if (tool.isEmpty()) {
        fail(QStringLiteral("the diff program is missing"));
        return;
    }
    // Held until diff has started: its child took the descriptors it needs.
    DiffInputs inputs;
    QString error;
    if (!inputs.open(path1, path2, &error)) {
        fail(error);
        return;
    }
    mProcess = new QProcess(this);
    mProcess->setProgram(tool);
    mProcess->setArguments(LineCompare_Arguments(mOptions) + inputs.arguments());
    mProcess->setStandardInputFile(QProcess::nullDevice());
    inputs.handTo(*mProcess);
    connect(mProcess, &QProcess::readyReadStandardOutput, this, [this] { readOutput(); });
    connect(mProcess, &QProcess::finished, this, [this] { processFinished(); });
    connect(mProcess, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            fail(QStringLiteral("diff did not start"));
    });
    mProcess->start();
}

void LineCompareJob::readOutput()
{
    GUARD_BEGIN
    if (mProcess)
        mOutput.feed(mProcess->readAllStandardOutput());
    GUARD_END_VOID
}

void LineCompareJob::processFinished()
{
    GUARD_BEGIN
    readOutput();
    mOutput.finish();
    // 0: the same, 1: different; only 2 (or a crash) is trouble.
    if (mProcess->exitStatus() != QProcess::NormalExit || mProcess->exitCode() > 1) {
        fail(QString::fromLocal8Bit(mProcess->readAllStandardError()).trimmed());
        return;
    }
    if (mOutput.failed()) {
        fail(QStringLiteral("the output of diff cannot be read"));
        return;
    }
    mResult.blocks = mProcess->exitCode() == 0 ? MergeBlockList{} : mOutput.takeBlocks();
    mDiffDone = true;
    if (mTablesDone)
        finish();
    GUARD_END_VOID
}

void LineCompareJob::fail(const QString &error)
{
    platform::LogWarning(lcCompare, QStringLiteral("ERROR line compare: ") + error);
    mResult.blocks.reset();
    mResult.error = error;
    finish();
}

void LineCompareJob::finish()
{
    if (!mRunning)
        return;
    mRunning = false;
    if (mProcess) {
        mProcess->disconnect(this);
        // A compare that failed while diff ran stops it; the wait is for its exit status.
        if (mProcess->state() != QProcess::NotRunning) {
            mProcess->kill();
            mProcess->waitForFinished(1000);
        }
        mProcess->deleteLater();
        mProcess = nullptr;
    }
    {
        std::lock_guard lock(mShared->mutex);
        if (!mShared->workerBusy)
            mShared->removeFolder();
    }
    emit finished(mResult);
}
