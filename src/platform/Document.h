#pragma once
// A document of the document architecture: an untitled or file-backed model object that owns the
// window controllers showing it. The document controller keeps the open documents.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QWidget;

namespace platform {

class WindowController;

class Document : public QObject
{
    Q_OBJECT
public:
    explicit Document(QObject *parent = nullptr);
    ~Document() override;

    // The document's file; empty for an untitled document.
    QString fileURL() const { return mFileURL; }
    void setFileURL(const QString &path) { mFileURL = path; }
    // The file's type given when it was opened (empty when untitled).
    QString fileType() const { return mFileType; }

    // Resource name of the document's window; empty when the subclass makes its own controllers.
    virtual QString windowNibName() const { return QString(); }
    // Reads the file at `path`; false refuses to open it. Reads nothing by default.
    virtual bool readFromFile(const QString &path, const QString &type);
    // Makes the window controllers; the default makes none.
    virtual void makeWindowControllers() {}
    // The window that hosts the document's sheets: the first controller's window by default.
    virtual QWidget *windowForSheet() const;
    // Last path component of the file, or "Untitled".
    virtual QString displayName() const;

    // Ownership passes to the document.
    void addWindowController(WindowController *controller);
    QList<WindowController *> windowControllers() const;
    void showWindows();

    // Closes the windows, leaves the document controller and deletes the document later.
    virtual void close();
    bool isClosed() const { return mClosed; }

signals:
    void documentWillClose();

private:
    friend class DocumentController;
    QString mFileURL;
    QString mFileType;
    // A controller deleted elsewhere drops out rather than being deleted twice.
    QList<QPointer<WindowController>> mControllers;
    bool mClosed = false;
};

class DocumentController
{
public:
    static DocumentController &sharedDocumentController();

    // Makes the documents the controller opens (untitled or from a file).
    using Factory = std::function<Document *()>;
    void setDocumentFactory(Factory factory) { mFactory = std::move(factory); }

    // nullptr when no factory is set.
    Document *openUntitledDocumentAndDisplay(bool display);
    // nullptr when no factory is set or the document refuses the file.
    Document *openDocumentWithContentsOfFile(const QString &path, bool display,
                                             const QString &type = QString());

    QList<Document *> documents() const { return mDocuments; }
    void addDocument(Document *document);
    void removeDocument(Document *document);
    // The document whose controllers own `window`; nullptr when none.
    Document *documentForWindow(const QWidget *window) const;

private:
    Document *setUp(Document *document, bool display);

    Factory mFactory;
    QList<Document *> mDocuments;
};

} // namespace platform
