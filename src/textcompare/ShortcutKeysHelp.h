#pragma once
// The one-time help of the text compare window that names the keys of moving between the
// differences and of applying them.

#include <QList>
#include <QString>

class QAction;

inline constexpr const char *kShortcutKeysHelpTitle = "Shortcut keys";

struct ShortcutKeyCommand
{
    QString name; // untranslated
    const QAction *action = nullptr;
};

// The untranslated help text: a line "<name>: <key>" for each command that has a key; each name
// is translated on its own when the help is shown.
QString ShortcutKeysHelpText(const QList<ShortcutKeyCommand> &commands);
// Shows the help with those keys unless the user has silenced it, or it was offered already in
// this run (by any window).
void ShowShortcutKeysHelp(const QList<ShortcutKeyCommand> &commands);
// Forgets that the help was offered in this run (tests).
void ShortcutKeysHelp_ForgetOffered();
