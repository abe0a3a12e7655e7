#pragma once
// What the text-input dialog asks and which texts keep its OK button disabled; the dialog's
// answer comes back in outPressOK.

#include "platform/Range.h"

#include <QString>
#include <QStringList>
#include <memory>

// Told the text 0.5 s after the user stops typing (main thread).
class InputDialogDelegate
{
public:
    virtual ~InputDialogDelegate() = default;
    virtual void input_RealTimeChangeString(const QString &text) = 0;
};

class InputDialogSetting
{
public:
    static std::shared_ptr<InputDialogSetting> create()
    {
        return std::make_shared<InputDialogSetting>();
    }

    QString winTitle;   // used when not empty
    QString txtTitle;   // the prompt; used when not empty
    QString defaultTxt; // initial text
    // Part of the initial text selected at opening; none when location is NotFound.
    Range defaultTxt_selectedRange{NotFound, 0};
    QString warningIconName; // the warning image stays hidden in every case
    // Texts (trimmed, any letter case) that keep OK disabled.
    QStringList unallowed_InputValues;
    // Characters that keep OK disabled while any of them is in the text.
    QString unallowed_InputChars;
    bool bUnAllowEmptyStringAfterTrim = false;
    bool bUnAllowEmptyString = false;
    // Without Cancel, the cancel actions confirm as OK does.
    bool bShowCancel = false;
    bool bInputIsPassword = false;
    bool outPressOK = false;
    // Not owned.
    InputDialogDelegate *delegate = nullptr;
};
