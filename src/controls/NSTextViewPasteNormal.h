#pragma once
// A text view whose paste always inserts plain text when the clipboard offers text, HTML or RTF:
// no fonts or colours come in with it. Anything else (an image) is pasted as the view pastes it.

#include <QTextEdit>

class NSTextViewPasteNormal : public QTextEdit
{
    Q_OBJECT
public:
    using QTextEdit::QTextEdit;

    // The plain text of clipboard data that offers text, HTML or RTF; null when it offers none.
    static QString plainTextOf(const QMimeData *source);
    // The text of an RTF document without its control words and groups.
    static QString plainTextFromRtf(const QByteArray &rtf);

protected:
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
};
