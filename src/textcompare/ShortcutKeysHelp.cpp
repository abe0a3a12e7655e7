#include "textcompare/ShortcutKeysHelp.h"

#include "controls/LiveHelpDialog.h"

#include <QAction>
#include <QKeySequence>

QString ShortcutKeysHelpText(const QList<ShortcutKeyCommand> &commands)
{
    // "{++}" lets the translation take each name by itself while the keys stay as they are.
    QStringList lines;
    for (const ShortcutKeyCommand &command : commands) {
        if (!command.action || command.action->shortcut().isEmpty() || command.name.isEmpty())
            continue;
        lines << command.name + QStringLiteral("{++}: ") +
                     command.action->shortcut().toString(QKeySequence::PortableText);
    }
    return lines.join(QStringLiteral("{++}\n{++}"));
}

void ShowShortcutKeysHelp(const QList<ShortcutKeyCommand> &commands)
{
    const QString text = ShortcutKeysHelpText(commands);
    if (!text.isEmpty())
        // A list of keys: information, nothing to beware of.
        LiveHelpDialog::ShowHelp(QString::fromLatin1(kShortcutKeysHelpTitle), text,
                                 platform::AlertRequest::Informational);
}
