#include "shell/SourceLineLog.h"

#include "platform/Log.h"

void LogWithSourceLine(const char *file, int line, const QString &message)
{
    if (message.isEmpty())
        return;
    const QString path = file ? QString::fromUtf8(file) : QString();
    const QString name = path.section(u'/', -1);
    platform::Log(lcShell, QStringLiteral("(%1:%2) %3").arg(name).arg(line).arg(message));
}
