#pragma once
// Tests whose work must run in a process of its own (to measure its peak memory, or to be killed
// partway) run one test of this same binary as a child, which finds what to do in its
// environment and prints one line of figures.

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

namespace pelkotest {

// Runs the named test of this binary with the extra environment; what it printed.
inline QByteArray runChildTest(const QString &testName, const QProcessEnvironment &extra)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &key : extra.keys())
        env.insert(key, extra.value(key));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--gtest_filter=") + testName});
    process.waitForFinished(-1);
    return process.readAll();
}

// The space-separated fields after tag on the line the child printed it; empty without one.
inline QList<QByteArray> fieldsAfter(const QByteArray &output, const QByteArray &tag)
{
    const qsizetype at = output.indexOf(tag);
    if (at < 0)
        return {};
    const qsizetype end = output.indexOf('\n', at);
    return output.mid(at + tag.size(), end < 0 ? -1 : end - at - tag.size()).split(' ');
}

} // namespace pelkotest
