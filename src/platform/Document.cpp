#include "platform/Document.h"

#include "platform/WindowController.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QWidget>

namespace platform {

Document::Document(QObject *parent) : QObject(parent)
{}

Document::~Document()
{
    DocumentController::sharedDocumentController().removeDocument(this);
    const QList<QPointer<WindowController>> controllers = mControllers;
    for (const QPointer<WindowController> &c : controllers)
        delete c.data();
}

bool Document::readFromFile(const QString &, const QString &)
{
    return true;
}

QWidget *Document::windowForSheet() const
{
    for (WindowController *c : windowControllers()) {
        if (QWidget *w = c->window())
            return w;
    }
    return nullptr;
}

QString Document::displayName() const
{
    if (mFileURL.isEmpty())
        return QCoreApplication::translate("Document", "Untitled");
    return QFileInfo(mFileURL).fileName();
}

void Document::addWindowController(WindowController *controller)
{
    mControllers.removeAll(QPointer<WindowController>());
    if (!controller || mControllers.contains(controller))
        return;
    mControllers.append(controller);
    controller->setParent(nullptr); // the document deletes its controllers itself
}

QList<WindowController *> Document::windowControllers() const
{
    QList<WindowController *> live;
    for (const QPointer<WindowController> &c : mControllers) {
        if (c)
            live.append(c.data());
    }
    return live;
}

void Document::showWindows()
{
    for (WindowController *c : windowControllers())
        c->showWindow();
}

void Document::close()
{
    if (mClosed)
        return;
    mClosed = true;
    emit documentWillClose();
    // A controller may delete itself while its window closes.
    const QList<QPointer<WindowController>> controllers = mControllers;
    for (const QPointer<WindowController> &c : controllers) {
        if (!c)
            continue;
        c->mIsClosing = true;
        c->close();
    }
    DocumentController::sharedDocumentController().removeDocument(this);
    deleteLater();
}

DocumentController &DocumentController::sharedDocumentController()
{
    static DocumentController controller;
    return controller;
}

Document *DocumentController::setUp(Document *document, bool display)
{
    addDocument(document);
    document->makeWindowControllers();
    if (display)
        document->showWindows();
    return document;
}

Document *DocumentController::openUntitledDocumentAndDisplay(bool display)
{
    if (!mFactory)
        return nullptr;
    Document *d = mFactory();
    return d ? setUp(d, display) : nullptr;
}

Document *DocumentController::openDocumentWithContentsOfFile(const QString &path, bool display,
                                                             const QString &type)
{
    if (!mFactory || path.isEmpty())
        return nullptr;
    Document *d = mFactory();
    if (!d)
        return nullptr;
    d->mFileURL = path;
    d->mFileType = type;
    if (!d->readFromFile(path, type)) {
        delete d;
        return nullptr;
    }
    return setUp(d, display);
}

void DocumentController::addDocument(Document *document)
{
    if (document && !mDocuments.contains(document))
        mDocuments.append(document);
}

void DocumentController::removeDocument(Document *document)
{
    mDocuments.removeAll(document);
}

Document *DocumentController::documentForWindow(const QWidget *window) const
{
    if (!window)
        return nullptr;
    for (Document *d : mDocuments) {
        for (WindowController *c : d->windowControllers()) {
            if (c->isWindowLoaded() && c->window() == window)
                return d;
        }
    }
    return nullptr;
}

} // namespace platform
