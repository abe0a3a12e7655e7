#pragma once
// Modal alerts with a title, a text and buttons in order.

#include <QString>
#include <QStringList>
#include <functional>

namespace platform {

struct AlertRequest
{
    QString title, text;
    QStringList buttons; // in order; none means one "OK"
    enum Style { Informational, Warning, Critical } style = Warning;
    // The button that Escape and the close box press; -1 finds the one titled "Cancel" (which a
    // translated title is not), else the first.
    int cancelIndex = -1;
    // The button Return presses; -1 (or out of range) is the first.
    int defaultIndex = -1;
    // When set, the alert also shows a check box (titled suppressionTitle, else "Do not show this
    // message again"), ticked as *suppressionState says, and leaves its state there when it ends;
    // hooks set it likewise.
    bool *suppressionState = nullptr;
    QString suppressionTitle;
};

// Return codes: 1000 + index of the button pressed.
inline constexpr int AlertFirstButtonReturn = 1000;
inline constexpr int AlertSecondButtonReturn = 1001;
inline constexpr int AlertThirdButtonReturn = 1002;

// Shows the alert (on the main thread, whichever thread asks) and answers the button pressed.
// Escape or the close box answer the cancel button (see cancelIndex).
int runAlert(const AlertRequest &request);
// Answers alerts without a screen (tests); nullptr restores the real alert.
void setAlertHook(std::function<int(const AlertRequest &)> hook);

} // namespace platform
