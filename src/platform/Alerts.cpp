#include "platform/Alerts.h"

#include "platform/Dispatch.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <mutex>

namespace platform {

namespace {

std::mutex gHookMutex;
std::function<int(const AlertRequest &)> gAlertHook;

bool isCancelTitle(QString title)
{
    title.remove(QLatin1Char('&'));
    return title.trimmed().compare(QStringLiteral("Cancel"), Qt::CaseInsensitive) == 0;
}

QMessageBox::Icon iconForStyle(AlertRequest::Style style)
{
    switch (style) {
    case AlertRequest::Informational:
        return QMessageBox::Information;
    case AlertRequest::Critical:
        return QMessageBox::Critical;
    case AlertRequest::Warning:
        break;
    }
    return QMessageBox::Warning;
}

} // namespace

void setAlertHook(std::function<int(const AlertRequest &)> hook)
{
    std::lock_guard lock(gHookMutex);
    gAlertHook = std::move(hook);
}

int runAlert(const AlertRequest &request)
{
    std::function<int(const AlertRequest &)> hook;
    {
        std::lock_guard lock(gHookMutex);
        hook = gAlertHook;
    }
    if (hook)
        return hook(request);
    if (!isMainThread()) {
        // Widgets live on the main thread: ask there and wait for the answer.
        int answer = AlertFirstButtonReturn;
        performOnMainThread([&] { answer = runAlert(request); }, true);
        return answer;
    }

    QMessageBox box;
    box.setWindowTitle(QGuiApplication::applicationDisplayName());
    box.setIcon(iconForStyle(request.style));
    // Plain text: a file name such as "<br>.txt" in a message must not turn into markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(request.title);
    box.setInformativeText(request.text);
    if (auto *informative = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel")))
        informative->setTextFormat(Qt::PlainText);
    if (request.suppressionState) {
        auto *check = new QCheckBox(request.suppressionTitle.isEmpty()
                                        ? QStringLiteral("Do not show this message again")
                                        : request.suppressionTitle,
                                    &box);
        check->setChecked(*request.suppressionState);
        box.setCheckBox(check);
    }

    QStringList titles = request.buttons;
    if (titles.isEmpty())
        titles << QStringLiteral("OK");
    // All buttons share one role so that the box keeps them in the order given.
    QList<QPushButton *> buttons;
    QPushButton *cancel = nullptr;
    for (const QString &title : titles) {
        QPushButton *b = box.addButton(title, QMessageBox::ActionRole);
        buttons << b;
        if (!cancel && request.cancelIndex < 0 && isCancelTitle(title))
            cancel = b;
    }
    if (request.cancelIndex >= 0 && request.cancelIndex < buttons.size())
        cancel = buttons[request.cancelIndex];
    const bool defaultGiven = request.defaultIndex >= 0 && request.defaultIndex < buttons.size();
    box.setDefaultButton(defaultGiven ? buttons[request.defaultIndex] : buttons.first());
    // Escape and the close box answer the Cancel button, else the first one.
    box.setEscapeButton(cancel ? cancel : buttons.first());
    box.exec();
    if (request.suppressionState && box.checkBox())
        *request.suppressionState = box.checkBox()->isChecked();

    const qsizetype index = buttons.indexOf(static_cast<QPushButton *>(box.clickedButton()));
    if (index >= 0)
        return AlertFirstButtonReturn + int(index);
    return AlertFirstButtonReturn + int(cancel ? buttons.indexOf(cancel) : 0);
}

} // namespace platform
