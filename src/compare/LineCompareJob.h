#pragma once
// One line compare run in the background: the texts are written as UTF-8 on a worker (or the
// files are compared as they are), GNU diff runs as a child process driven by its signals, and
// its output is parsed as it arrives, while another worker builds the line tables. Nothing here
// waits on the main thread. Deleting the job cancels it: the child is killed, and its files go as
// soon as no worker uses them.

#include "compare/DiffOutputStream.h"
#include "compare/LineCompare.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class QProcess;

struct LineCompareResult
{
    std::optional<MergeBlockList> blocks; // nullopt: the compare failed
    QString error;
    // The texts compared and their line tables (built on the worker).
    QString text1, text2;
    LineTable table1, table2;
};

class LineCompareJob : public QObject
{
    Q_OBJECT
public:
    explicit LineCompareJob(QObject *parent = nullptr);
    ~LineCompareJob() override;

    // Compares the two texts through UTF-8 copies of them.
    void startTexts(const QString &text1, const QString &text2, const LineCompareOptions &options);
    // Compares the files themselves; the texts are what the panes show of them.
    void startFiles(const QString &path1, const QString &path2, const QString &text1,
                    const QString &text2, const LineCompareOptions &options);
    bool isRunning() const { return mRunning; }
    // The folder of this job's files in the process's temporary folder (null before a start).
    QString workFolder() const;

signals:
    // Emitted once; the job may be deleted from the slot.
    void finished(const LineCompareResult &result);

private:
    struct Shared;
    void prepared(bool ok);
    void tablesBuilt(LineTable table1, LineTable table2);
    void runDiff(const QString &path1, const QString &path2);
    void readOutput();
    void processFinished();
    void fail(const QString &error);
    void finish();

    std::shared_ptr<Shared> mShared;
    LineCompareOptions mOptions;
    QProcess *mProcess = nullptr;
    QString mPath1, mPath2;
    DiffOutputStream mOutput;
    LineCompareResult mResult;
    bool mRunning = false;
    // diff and the line tables are done (they run side by side).
    bool mDiffDone = false;
    bool mTablesDone = false;
};
