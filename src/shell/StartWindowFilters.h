#pragma once
// The six filter fields of the start window: the history key, refused tokens, token separators
// and default text of each, and the ready-made entries a field starts with when it has no
// history yet.

#include <QString>
#include <QStringList>
#include <array>

enum class StartWindowFilterKind {
    ExtensionList,      // plain include and exclude
    FolderNames,        // plain sub-folders
    RegexExtensionList, // regex include and exclude
    RegexFolderNames,   // regex sub-folders
};

struct StartWindowFilterField
{
    const char *outlet; // object name in the window form
    QString historyKey;
    QStringList refused;
    QString separators; // the token field's tokenizing characters
    QString defaultText;
    StartWindowFilterKind kind;
    bool regex;
};

// Plain include, exclude, sub-folders, then the regex include, exclude, sub-folders.
const std::array<StartWindowFilterField, 6> &StartWindowFilterFields();

// Every field's separator of tokens inside one history entry.
inline const QString kStartWindowFilterMiddleStr = QStringLiteral(";");

// The nine ready-made entries of a kind, as stored in a history.
QStringList StartWindowReadyMadeEntries(StartWindowFilterKind kind);

// An extension list ("a ; .b ; c++") as one expression matching those extensions at a name's
// end: ".*\.(a|b|c\+\+)". Each item is escaped, so "c++" matches ".c++" files.
QString RegexFromExtensionList(const QString &list);
