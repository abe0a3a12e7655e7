#include "textcompare/PaneLoader.h"

#include <QElapsedTimer>
#include <QPlainTextDocumentLayout>
#include <QTextDocument>
#include <QThread>
#include <mutex>

namespace {

std::mutex gReaderMutex;
PaneReader gReader;

QString readPaneFile(const QString &path, TextFileInfo *info, platform::StringEncoding preferred)
{
    PaneReader reader;
    {
        std::lock_guard lock(gReaderMutex);
        reader = gReader;
    }
    return reader ? reader(path, info, preferred) : App_ReadTextFileContent(path, info, preferred);
}

} // namespace

void SetPaneReaderHook(PaneReader reader)
{
    std::lock_guard lock(gReaderMutex);
    gReader = std::move(reader);
}

bool ToPaneLineEnds(QString &text)
{
    bool changed = false;
    if (text.contains(u'\r')) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
        changed = true;
    }
    for (QChar c : {QChar(QChar::ParagraphSeparator), QChar(0xfdd0), QChar(0xfdd1)})
        if (text.contains(c))
            changed = true;
    return changed;
}

QTextDocument *BuildPaneDocument(const QString &text, QThread *documentThread)
{
    auto *doc = new QTextDocument;
    // The plain layout is there before the text, so filling the document lays out nothing and
    // the pane that adopts it has nothing to redo.
    doc->setDocumentLayout(new QPlainTextDocumentLayout(doc));
    doc->setUndoRedoEnabled(false);
    doc->setPlainText(text);
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);
    if (documentThread && documentThread != QThread::currentThread())
        doc->moveToThread(documentThread);
    return doc;
}

LoadedPane LoadPane(const QString &path, platform::StringEncoding forced,
                    platform::StringEncoding preferred, QThread *documentThread,
                    std::shared_ptr<std::atomic<bool>> cancelled)
{
    LoadedPane out;
    QElapsedTimer timer;
    timer.start();
    out.info.encoding = forced;
    QString text = readPaneFile(path, &out.info, preferred);
    out.readOk = !text.isNull();
    if (!out.readOk)
        text = QStringLiteral("");
    if (text.contains(QChar(0))) {
        text.replace(QChar(0), QChar(u' '));
        out.info.hasNulChar = true;
        out.textConverted = true;
    }
    if (ToPaneLineEnds(text))
        out.textConverted = true;
    out.readNs = timer.nsecsElapsed();
    if (cancelled && *cancelled)
        return out;
    timer.restart();
    QTextDocument *doc = BuildPaneDocument(text, nullptr);
    out.buildNs = timer.nsecsElapsed();
    // A load cancelled meanwhile leaves nothing behind.
    if (cancelled && *cancelled) {
        delete doc;
        return out;
    }
    if (documentThread && documentThread != QThread::currentThread())
        doc->moveToThread(documentThread);
    out.document = doc;
    return out;
}
