#include "services/Alerts.h"

#include "platform/Alerts.h"
#include "platform/Guard.h"
#include "services/Localization.h"

void ShowMessage(const QString &title, const QString &text)
{
    ShowMessage2(title, text, L_(QStringLiteral("OK")));
}

int ShowMessage2(const QString &title, const QString &text, const QString &button1,
                 const QString &button2, const QString &button3)
{
    GUARD_BEGIN
    if (title.isEmpty() && text.isEmpty())
        return 0;
    platform::AlertRequest request;
    request.title = title.isEmpty() ? QStringLiteral(" ") : title;
    request.text = text.isEmpty() ? QStringLiteral(" ") : text;
    request.buttons.append(button1.isEmpty() ? L_(QStringLiteral("OK")) : button1);
    QString second = button2;
    if (!button3.isEmpty() && second.isEmpty())
        second = L_(QStringLiteral("Cancel"));
    if (!second.isEmpty())
        request.buttons.append(second);
    if (!button3.isEmpty())
        request.buttons.append(button3);
    // Escape and the close box press the (possibly translated) Cancel button.
    const qsizetype cancel = request.buttons.indexOf(L_(QStringLiteral("Cancel")));
    if (cancel >= 0)
        request.cancelIndex = int(cancel);
    return platform::runAlert(request);
    GUARD_END(0)
}

bool AskBeforeUndoable(const QString &title, const QString &text, const QString &goButton)
{
    GUARD_BEGIN
    if (title.isEmpty() && text.isEmpty())
        return false;
    platform::AlertRequest request;
    request.title = title.isEmpty() ? QStringLiteral(" ") : title;
    request.text = text.isEmpty() ? QStringLiteral(" ") : text;
    request.buttons = {goButton.isEmpty() ? L_(QStringLiteral("OK")) : goButton,
                       L_(QStringLiteral("Cancel"))};
    request.cancelIndex = 1;
    request.defaultIndex = 1;
    return platform::runAlert(request) == platform::AlertFirstButtonReturn;
    GUARD_END(false)
}
