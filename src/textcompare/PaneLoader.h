#pragma once
// Reading one side of the text window off the main thread: the file is read and decoded, its
// text made ready for a pane, and the pane's document built, all on a worker. The document is
// handed to the main thread, where the pane adopts it without laying it out twice.

#include "platform/TextEncoding.h"
#include "services/TextFile.h"

#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class QTextDocument;
class QThread;

struct LoadedPane
{
    TextFileInfo info;
    bool readOk = false;
    bool textConverted = false; // line ends or NUL characters changed
    // Built on the worker and already moved to the thread asked for; the receiver owns it (null
    // when the load was cancelled).
    QTextDocument *document = nullptr;
    qint64 readNs = 0;  // reading and decoding
    qint64 buildNs = 0; // building the document
};

// CR and CRLF become LF, as the panes keep them; true when anything changed, including
// characters the pane takes for a line break where diff sees none.
bool ToPaneLineEnds(QString &text);

// Reads the file and builds its document for a pane (on a worker). forced is the encoding asked
// for (0: detect), preferred the one to try first. A set cancel flag stops the work between steps.
LoadedPane LoadPane(const QString &path, platform::StringEncoding forced,
                    platform::StringEncoding preferred, QThread *documentThread,
                    std::shared_ptr<std::atomic<bool>> cancelled);

// The reader of a side's file (App_ReadTextFileContent); tests put a slow one in its place.
// Null restores the real one.
using PaneReader = std::function<QString(const QString &path, TextFileInfo *info,
                                         platform::StringEncoding preferred)>;
void SetPaneReaderHook(PaneReader reader);

// A document for a pane holding text, built where it is called, then moved to documentThread.
QTextDocument *BuildPaneDocument(const QString &text, QThread *documentThread);
