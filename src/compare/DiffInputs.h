#pragma once
// The two files a GNU diff child process reads, handed over so that it reads the files named.
// QProcess passes arguments as UTF-8 and so would name another file for a name that is not UTF-8
// (platform/LocalPath): such a file is opened here and diff reads it as /dev/fd/N, a descriptor
// only that child inherits, labelled with the name for the eye where diff prints one.

#include "platform/UniqueFd.h"

#include <QString>
#include <QStringList>

class QProcess;

class DiffInputs
{
public:
    // Opens what must be opened here; false with *error (may be null) saying why.
    bool open(const QString &path1, const QString &path2, QString *error = nullptr);
    // Hands diff a file already opened and judged (side 0 or 1): diff reads that descriptor as
    // /dev/fd/N, whatever the name leads to now; label names it where diff prints a name.
    void adopt(int side, platform::UniqueFd fd, const QString &label);
    // The arguments that follow diff's options: labels where a descriptor is read, "--" (so a
    // path beginning with "-" is never taken for an option), then the two files.
    QStringList arguments() const;
    // Lets the process's child, and no other, inherit the descriptors; call before start().
    void handTo(QProcess &process) const;

private:
    struct Input
    {
        QString argument, label;
        platform::UniqueFd fd;
    };
    bool openOne(const QString &path, Input *input, QString *error);
    Input mInputs[2];
};
