#pragma once
// Sheets: a dialog shown window-modal on a parent window; the caller goes on at once and hears the
// end through the completion. Main thread only.

#include <functional>

class QWidget;

namespace platform {

// Shows sheet window-modal on parent's window. The completion hears the code of endSheet, or 0
// when the sheet is hidden or destroyed by anything else. False (and nothing shown) without a
// parent or sheet, or when the sheet is already attached.
bool beginSheet(QWidget *parent, QWidget *sheet, std::function<void(int code)> completion);
// Hides the sheet, detaches it from its parent again and runs its completion with code; false
// when the sheet is not attached.
bool endSheet(QWidget *sheet, int code);
// The window the sheet is attached to; nullptr when it is not a sheet now.
QWidget *sheetParent(QWidget *sheet);

} // namespace platform
