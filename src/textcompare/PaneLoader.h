#pragma once
// Reading one side of the text window off the main thread. The file is read and decoded on a
// worker, its text made ready for a pane, and a first document holding only its head (enough
// lines for the first screen) built at once, so the window paints text while the whole document
// is still being built on another worker. Documents built on a worker are handed to the main
// thread, where a pane adopts them without laying them out twice.

#include "platform/TextEncoding.h"
#include "services/TextFile.h"
#include "textcompare/FoldedLines.h"

#include <QFont>
#include <QString>
#include <QTextOption>
#include <atomic>
#include <functional>
#include <memory>

class QTextDocument;
class QThread;
class QThreadPool;

// A document built on a worker for a pane. The pane takes it; one nobody took (the load was
// cancelled, the window closed) is deleted with the last copy of the handle, on its own thread.
struct PaneDocumentDeleter
{
    void operator()(QTextDocument *doc) const;
};
using PaneDocument = std::shared_ptr<std::unique_ptr<QTextDocument, PaneDocumentDeleter>>;
QTextDocument *TakePaneDocument(const PaneDocument &doc);

struct LoadedPane
{
    TextFileInfo info;
    bool readOk = false;
    bool textConverted = false; // line ends or NUL characters changed
    // The text as the pane shows it, and the lines its gutter numbers.
    QString text;
    qint64 lineCount = 1;
    // The first lines of the text, already on the thread asked for (null when cancelled).
    // complete: the head is the whole text, so no other document is built.
    PaneDocument head;
    bool complete = false;
    qint64 readNs = 0; // reading and decoding
};

// Texts longer than this open with wrapping and colouring off, and their very long lines folded.
inline constexpr qsizetype kLargeTextGuard = 12'000'000;

// CR and CRLF become LF, as the panes keep them, and so do the characters a pane takes for a
// line break where diff sees none; true when anything changed.
bool ToPaneLineEnds(QString &text);

// How much of a text goes into the first document: whole lines while they fit, and never more
// than a screen needs, however long its lines are.
qsizetype PaneHeadLength(const QString &text);

// Reads and decodes the file as a pane shows it: NUL characters as spaces, line breaks as "\n"
// (an unreadable file gives the empty text, readOk false). forced is the encoding asked for (0:
// detect), preferred the one to try first. No head is built.
LoadedPane ReadPaneText(const QString &path, platform::StringEncoding forced,
                        platform::StringEncoding preferred);

// Reads the file as ReadPaneText() does and builds the head of its document (on a worker); the
// head has its long lines folded with fold set or when the text is longer than kLargeTextGuard.
// A set cancel flag stops the work between steps.
LoadedPane ReadPane(const QString &path, platform::StringEncoding forced,
                    platform::StringEncoding preferred, QThread *documentThread,
                    std::shared_ptr<std::atomic<bool>> cancelled, bool fold = false);

// The threads that build whole documents. They are kept apart from the shared pool, where the
// line compare runs, so that the compare never waits behind two long builds (on a machine of two
// cores the shared pool has only two threads).
QThreadPool *PaneBuildPool();

// The whole document of a pane (on a worker); null when cancelled meanwhile. fold: lines longer
// than kFoldLineLength go in as rows (those longer than kAlwaysFoldLineLength always do).
// How the pane that will show a document draws it; given to the builder, so that the pane need
// not walk the whole document again to set them.
struct PaneLook
{
    QFont font;
    QTextOption option; // tab stops and wrapping
};
bool SameTextOption(const QTextOption &a, const QTextOption &b);

struct BuiltPaneDocument
{
    PaneDocument doc;
    FoldMap folds; // the document's fold rows, so the pane that adopts it need not walk them
};
BuiltPaneDocument BuildWholePaneDocument(const QString &text, QThread *documentThread,
                                         std::shared_ptr<std::atomic<bool>> cancelled, bool fold,
                                         const PaneLook &look);

// The reader of a side's file (App_ReadTextFileContent); tests put a slow one in its place.
// Null restores the real one.
using PaneReader = std::function<QString(const QString &path, TextFileInfo *info,
                                         platform::StringEncoding preferred)>;
void SetPaneReaderHook(PaneReader reader);
// Run on the worker before a whole document is built; tests hold the build back with it. Null
// removes it.
void SetPaneBuildHook(std::function<void()> hook);

// A document for a pane holding text, built where it is called, then moved to documentThread.
// Lines longer than kAlwaysFoldLineLength (with fold, kFoldLineLength) go in as rows.
QTextDocument *BuildPaneDocument(const QString &text, QThread *documentThread, bool fold = false);
