#include "shell/ApplicationIcon.h"

#include "services/SupportFolder.h"

#include <QFile>

QIcon ApplicationIcon()
{
    QIcon bundled;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString path =
            GetBundleResourcePath(QStringLiteral("images/pelkomerge-%1.png").arg(size));
        if (!path.isEmpty() && QFile::exists(path))
            bundled.addFile(path, QSize(size, size));
    }
    return QIcon::fromTheme(QStringLiteral("pelkomerge"), bundled);
}
