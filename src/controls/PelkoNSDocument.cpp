#include "controls/PelkoNSDocument.h"

#include "platform/Document.h"
#include "platform/Guard.h"

QWidget *window2(platform::Document *self)
{
    QWidget *window = self ? self->windowForSheet() : nullptr;
    if (!window)
        REPORT_FATAL();
    return window;
}

QString getFilePath(const platform::Document *self)
{
    if (!self || self->fileURL().isEmpty())
        return QString(QLatin1String(""));
    return self->fileURL();
}
