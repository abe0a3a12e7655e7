// The start windows of the desktop factory.
#include "shell/DesktopWindowFactory.h"

#include "platform/Document.h"
#include "shell/MergeDocument.h"

namespace {
MergeDocument *startWindowOf(platform::Document *document)
{
    return qobject_cast<MergeDocument *>(document);
}
} // namespace

void DesktopWindowFactory::installStartWindows()
{
    MergeDocument::InstallAsDocumentFactory();
}

bool DesktopWindowFactory::isStartWindow(platform::Document *document) const
{
    return startWindowOf(document) != nullptr;
}

void DesktopWindowFactory::setLeftText(platform::Document *document, const QString &path)
{
    if (MergeDocument *d = startWindowOf(document))
        d->SetLeftText(path);
}

void DesktopWindowFactory::setRightText(platform::Document *document, const QString &path)
{
    if (MergeDocument *d = startWindowOf(document))
        d->SetRightText(path);
}

QString DesktopWindowFactory::fullPath1(platform::Document *document) const
{
    MergeDocument *d = startWindowOf(document);
    return d ? d->getFullPath1() : QString();
}

QString DesktopWindowFactory::fullPath2(platform::Document *document) const
{
    MergeDocument *d = startWindowOf(document);
    return d ? d->getFullPath2() : QString();
}

bool DesktopWindowFactory::isClosing(platform::Document *document) const
{
    MergeDocument *d = startWindowOf(document);
    return !d || d->isClosing();
}

QWidget *DesktopWindowFactory::startWindow(platform::Document *document) const
{
    MergeDocument *d = startWindowOf(document);
    return d ? d->window() : nullptr;
}

void DesktopWindowFactory::tryToCompareRightNow(platform::Document *document)
{
    if (MergeDocument *d = startWindowOf(document))
        d->TryToCompareRightNow();
}
