#pragma once
// Where the application delegate gets its windows: compare windows for two files and the start
// windows (documents of the document controller). The application installs the desktop one;
// tests install fakes, so the delegate's decisions are tested without real windows.

#include <QString>

class QWidget;
namespace platform {
class Document;
class WindowController;
} // namespace platform

class WindowFactory
{
public:
    virtual ~WindowFactory() = default;

    // A shown compare window for two files; nullptr when it could not be made. The window frees
    // itself when it closes, and checks its files again once shortly after showing.
    virtual platform::WindowController *openTextWindow(const QString &left,
                                                       const QString &right) = 0;
    virtual platform::WindowController *openImageWindow(const QString &left,
                                                        const QString &right) = 0;
    // An empty text compare window, cascaded from the open ones.
    virtual platform::WindowController *openBlankTextWindow() = 0;

    // What the delegate asks of a start window; each answers the neutral value for a document
    // that is no start window.
    virtual bool isStartWindow(platform::Document *document) const = 0;
    virtual void setLeftText(platform::Document *document, const QString &path) = 0;
    virtual void setRightText(platform::Document *document, const QString &path) = 0;
    virtual QString fullPath1(platform::Document *document) const = 0;
    virtual QString fullPath2(platform::Document *document) const = 0;
    virtual bool isClosing(platform::Document *document) const = 0;
    virtual QWidget *startWindow(platform::Document *document) const = 0;
    // Presses the start window's Compare button.
    virtual void tryToCompareRightNow(platform::Document *document) = 0;
};

// The factory in use (nullptr until one is installed). The caller keeps ownership.
WindowFactory *windowFactory();
void setWindowFactory(WindowFactory *factory);
