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

namespace {

// Main thread only, as the windows that offer it.
bool gOfferedThisRun = false;

} // namespace

void ShowShortcutKeysHelp(const QList<ShortcutKeyCommand> &commands)
{
    // The keys are the same in every window: once a run is enough.
    if (gOfferedThisRun || LiveHelpDialog::isQuietInThisProcess())
        return;
    const QString text = ShortcutKeysHelpText(commands);
    if (text.isEmpty())
        return;
    gOfferedThisRun = true;
    // A list of keys: information, nothing to beware of.
    LiveHelpDialog::ShowHelp(QString::fromLatin1(kShortcutKeysHelpTitle), text,
                             platform::AlertRequest::Informational);
}

void ShortcutKeysHelp_ForgetOffered()
{
    gOfferedThisRun = false;
}
