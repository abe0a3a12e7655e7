#include "controls/PelkoNSWindowController.h"

#include "platform/Guard.h"
#include "platform/ModalRun.h"
#include "platform/WindowController.h"
#include "services/WindowFrame.h"

#include <limits>

void stopModalAndSaveFrameWithCode(platform::WindowController *self, qint64 code)
{
    QWidget *window = self ? self->window() : nullptr;
    // The frame first, so that the dialog opens where it was left the next time.
    Save_Window_Frame(window, self);
    if (!window)
        return;
    const int runCode = int(
        std::clamp<qint64>(code, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    platform::stopModalWithCode(window, runCode);
}

QWidget *window2(platform::WindowController *self)
{
    QWidget *window = self ? self->window() : nullptr;
    if (!window)
        REPORT_FATAL();
    return window;
}
