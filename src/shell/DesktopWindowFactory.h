#pragma once
// The application's own windows: text and image compare windows, and the start windows made by
// the document controller.

#include "shell/WindowFactory.h"

class DesktopWindowFactory : public WindowFactory
{
public:
    // Lets the document controller make start windows.
    static void installStartWindows();

    platform::WindowController *openTextWindow(const QString &left, const QString &right) override;
    platform::WindowController *openImageWindow(const QString &left, const QString &right) override;
    platform::WindowController *openBlankTextWindow() override;

    bool isStartWindow(platform::Document *document) const override;
    void setLeftText(platform::Document *document, const QString &path) override;
    void setRightText(platform::Document *document, const QString &path) override;
    QString fullPath1(platform::Document *document) const override;
    QString fullPath2(platform::Document *document) const override;
    bool isClosing(platform::Document *document) const override;
    QWidget *startWindow(platform::Document *document) const override;
    void tryToCompareRightNow(platform::Document *document) override;
};
