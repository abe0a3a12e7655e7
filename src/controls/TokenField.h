#pragma once
// A text field whose content is a list of tokens: tokens are drawn as chips, followed (or
// preceded, while the caret is moved between them) by an editing part. A character of the
// tokenizing set (default ","), Return, or leaving the field turns the typed text into tokens,
// trimmed, empty pieces dropped; a paste is split at the set and at line breaks. Backspace in an
// empty editing part deletes the token before the caret, Delete and Backspace a selected one;
// the arrows move between tokens; a click selects a token and a double-click edits it.
// The value read while typing includes the pending text.

#include <QFrame>
#include <QStringList>
#include <QVariant>
#include <vector>

class QLineEdit;

class TokenField : public QFrame
{
    Q_OBJECT
public:
    explicit TokenField(QWidget *parent = nullptr);
    ~TokenField() override;

    // The tokens, with the pending text of the editing part as a last token.
    QVariant objectValue() const;
    QStringList tokens() const;
    void setObjectValue(const QVariant &value);
    // The tokens joined by the first character of the tokenizing set.
    QString stringValue() const;
    // Split at the tokenizing set and at line breaks.
    void setStringValue(const QString &text);

    QString tokenizingCharacterSet() const { return mTokenizingChars; }
    // An empty set falls back to ",".
    void setTokenizingCharacterSet(const QString &characters);

    // Tokens that keep their letter case in histories and filter lists (regular expressions).
    bool keepCase() const { return mKeepCase; }
    void setKeepCase(bool keep) { mKeepCase = keep; }

    // The selected token, -1 when none; the caret position (before token i).
    int selectedToken() const { return mSelected; }
    int caretPosition() const { return mCaret; }
    QLineEdit *editor() const { return mEditor; }
    // The chip of token i in the field's coordinates (empty when out of range).
    QRect tokenRect(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // Tokens or the editing part changed by the user.
    void textDidChange();

protected:
    // Room kept free at the right end of the field (for a button inside it).
    void setRightMargin(int margin);
    // Called after every change of the tokens or the editing text, by user or code.
    virtual void contentDidChange() {}

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Chip
    {
        int x = 0;
        int width = 0;
    };
    QStringList splitText(const QString &text) const;
    void commitEditor();
    void insertTokens(const QStringList &pieces);
    void removeToken(int index);
    void selectToken(int index);
    void editToken(int index);
    void handlePaste();
    bool handleKey(QKeyEvent *event);
    void onEditorTextEdited(const QString &text);
    void relayout();
    void scrollToCaret();
    int tokenAt(const QPoint &pos) const;
    void changed(bool byUser);
    QRect contentRect() const;

    QLineEdit *mEditor = nullptr;
    QStringList mTokens;
    std::vector<Chip> mChips;
    QString mTokenizingChars = QStringLiteral(",");
    bool mKeepCase = false;
    int mCaret = 0;
    int mSelected = -1;
    int mScroll = 0;
    int mMaxScroll = 0; // how far the content is wider than the field
    int mRightMargin = 0;
    bool mCommitting = false;
};
