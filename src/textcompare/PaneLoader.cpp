#include "textcompare/PaneLoader.h"

#include "platform/Dispatch.h"
#include "textcompare/FoldedLines.h"

#include <QElapsedTimer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QPlainTextDocumentLayout>
#include <QTextDocument>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <mutex>

namespace {

// A screen shows well under this many lines, or characters of one line.
constexpr qsizetype kHeadLines = 400;
constexpr qsizetype kHeadCharacters = 64 * 1024;

std::mutex gReaderMutex;
PaneReader gReader;
std::function<void()> gBuildHook;

QString readPaneFile(const QString &path, TextFileInfo *info, platform::StringEncoding preferred)
{
    PaneReader reader;
    {
        std::lock_guard lock(gReaderMutex);
        reader = gReader;
    }
    return reader ? reader(path, info, preferred) : App_ReadTextFileContent(path, info, preferred);
}

PaneDocument wrap(QTextDocument *doc)
{
    return std::make_shared<std::unique_ptr<QTextDocument, PaneDocumentDeleter>>(doc);
}

} // namespace

void PaneDocumentDeleter::operator()(QTextDocument *doc) const
{
    if (!doc)
        return;
    if (doc->thread() == QThread::currentThread())
        delete doc;
    else
        doc->deleteLater();
}

QTextDocument *TakePaneDocument(const PaneDocument &doc)
{
    return doc ? doc->release() : nullptr;
}

void SetPaneReaderHook(PaneReader reader)
{
    std::lock_guard lock(gReaderMutex);
    gReader = std::move(reader);
}

QThreadPool *PaneBuildPool()
{
    // One thread per side of a window, and two windows loading at once.
    static QThreadPool pool;
    static const bool ready = [] {
        pool.setMaxThreadCount(4);
        platform::waitForPoolBeforeExit(&pool);
        return true;
    }();
    (void)ready;
    return &pool;
}

void SetPaneBuildHook(std::function<void()> hook)
{
    std::lock_guard lock(gReaderMutex);
    gBuildHook = std::move(hook);
}

bool ToPaneLineEnds(QString &text)
{
    bool changed = false;
    if (text.contains(u'\r')) {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(u'\r', u'\n');
        changed = true;
    }
    // The pane breaks the line at these too; so does the text the compare is given.
    for (QChar c : {QChar(QChar::ParagraphSeparator), QChar(0xfdd0), QChar(0xfdd1)}) {
        if (text.contains(c)) {
            text.replace(c, QChar(u'\n'));
            changed = true;
        }
    }
    return changed;
}

qsizetype PaneHeadLength(const QString &text)
{
    qsizetype end = 0;
    for (qsizetype lines = 0; lines < kHeadLines && end < text.size(); ++lines) {
        const qsizetype nl = text.indexOf(u'\n', end);
        if (nl < 0 || nl + 1 > kHeadCharacters) {
            // A long last line is cut, never inside a surrogate pair.
            qsizetype cut = std::min(text.size(), std::max(end, kHeadCharacters));
            if (cut < text.size() && cut > 0 && text.at(cut - 1).isHighSurrogate())
                --cut;
            return cut;
        }
        end = nl + 1;
    }
    return end;
}

QTextDocument *BuildPaneDocument(const QString &text, QThread *documentThread, bool fold)
{
    auto *doc = new QTextDocument;
    // The plain layout is there before the text, so filling the document lays out nothing and
    // the pane that adopts it has nothing to redo.
    doc->setDocumentLayout(new QPlainTextDocumentLayout(doc));
    doc->setUndoRedoEnabled(false);
    if (HasLineLongerThan(text, FoldLengthLimit(fold))) {
        // One edit: the layout hears of it once, as of a new text, and lays out nothing.
        QTextCursor cursor(doc);
        InsertPaneText(cursor, text, fold);
    } else {
        doc->setPlainText(text);
    }
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);
    // Every block gets its layout object here: the pane's first layout pass, on the main thread,
    // then only clears them (tens of thousands of blocks for a big folded text).
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
        block.layout();
    if (documentThread && documentThread != QThread::currentThread())
        doc->moveToThread(documentThread);
    return doc;
}

LoadedPane ReadPaneText(const QString &path, platform::StringEncoding forced,
                        platform::StringEncoding preferred)
{
    LoadedPane out;
    QElapsedTimer timer;
    timer.start();
    out.info.encoding = forced;
    out.text = readPaneFile(path, &out.info, preferred);
    out.readOk = !out.text.isNull();
    if (!out.readOk)
        out.text = QStringLiteral("");
    if (out.text.contains(QChar(0))) {
        out.text.replace(QChar(0), QChar(u' '));
        out.info.hasNulChar = true;
        out.textConverted = true;
    }
    if (ToPaneLineEnds(out.text))
        out.textConverted = true;
    // As the gutter numbers them: no line after a last line break.
    out.lineCount = std::max<qint64>(1, out.text.count(u'\n') + (out.text.endsWith(u'\n') ? 0 : 1));
    out.readNs = timer.nsecsElapsed();
    return out;
}

LoadedPane ReadPane(const QString &path, platform::StringEncoding forced,
                    platform::StringEncoding preferred, QThread *documentThread,
                    std::shared_ptr<std::atomic<bool>> cancelled, bool fold)
{
    LoadedPane out = ReadPaneText(path, forced, preferred);
    QString text = std::move(out.text);
    if (cancelled && *cancelled)
        return out;
    const qsizetype headLength = PaneHeadLength(text);
    out.complete = headLength == text.size();
    out.head = wrap(BuildPaneDocument(out.complete ? text : text.left(headLength), documentThread,
                                      fold || text.size() > kLargeTextGuard));
    out.text = std::move(text);
    return out;
}

bool SameTextOption(const QTextOption &a, const QTextOption &b)
{
    return a.alignment() == b.alignment() && a.textDirection() == b.textDirection() &&
           a.wrapMode() == b.wrapMode() && a.flags() == b.flags() &&
           a.tabStopDistance() == b.tabStopDistance() && a.tabs() == b.tabs() &&
           a.useDesignMetrics() == b.useDesignMetrics();
}

BuiltPaneDocument BuildWholePaneDocument(const QString &text, QThread *documentThread,
                                         std::shared_ptr<std::atomic<bool>> cancelled, bool fold,
                                         const PaneLook &look)
{
    std::function<void()> hook;
    {
        std::lock_guard lock(gReaderMutex);
        hook = gBuildHook;
    }
    if (hook)
        hook();
    if (cancelled && *cancelled)
        return {};
    BuiltPaneDocument built;
    built.doc = wrap(BuildPaneDocument(text, nullptr, fold));
    // A load cancelled meanwhile leaves nothing behind.
    if (cancelled && *cancelled)
        return {};
    (*built.doc)->setDefaultFont(look.font);
    (*built.doc)->setDefaultTextOption(look.option);
    built.folds.rebuild(built.doc->get());
    if (documentThread && documentThread != QThread::currentThread())
        (*built.doc)->moveToThread(documentThread);
    return built;
}
