// The start windows of the desktop factory. Until the start window exists, no document is one.
#include "shell/DesktopWindowFactory.h"

#include "platform/Document.h"

void DesktopWindowFactory::installStartWindows()
{}

bool DesktopWindowFactory::isStartWindow(platform::Document *) const
{
    return false;
}

void DesktopWindowFactory::setLeftText(platform::Document *, const QString &)
{}

void DesktopWindowFactory::setRightText(platform::Document *, const QString &)
{}

QString DesktopWindowFactory::fullPath1(platform::Document *) const
{
    return {};
}

QString DesktopWindowFactory::fullPath2(platform::Document *) const
{
    return {};
}

bool DesktopWindowFactory::isClosing(platform::Document *) const
{
    return true;
}

QWidget *DesktopWindowFactory::startWindow(platform::Document *) const
{
    return nullptr;
}

void DesktopWindowFactory::tryToCompareRightNow(platform::Document *)
{}
