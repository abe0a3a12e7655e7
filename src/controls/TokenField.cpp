#include "controls/TokenField.h"

#include "platform/Guard.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

constexpr int kChipPadding = 6; // inside a chip, left and right
constexpr int kChipSpacing = 3; // between chips
constexpr int kFrameMargin = 3; // between the frame and the content
constexpr int kEditorMinWidth = 24;

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0x2028) ||
           c == QChar(0x2029) || c == QChar(0x0C);
}

} // namespace

TokenField::TokenField(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    mEditor = new QLineEdit(this);
    mEditor->setFrame(false);
    mEditor->setObjectName(QStringLiteral("tokenEditor"));
    mEditor->installEventFilter(this);
    setFocusProxy(mEditor);
    connect(mEditor, &QLineEdit::textEdited, this,
            [this](const QString &text) { onEditorTextEdited(text); });
    connect(mEditor, &QLineEdit::returnPressed, this, [this] { commitEditor(); });
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    relayout();
}

TokenField::~TokenField() = default;

// ---- value ----

QStringList TokenField::tokens() const
{
    return mTokens;
}

QVariant TokenField::objectValue() const
{
    QStringList value = mTokens;
    const QString pending = mEditor->text().trimmed();
    if (!pending.isEmpty()) {
        // The pending text stands where the caret is.
        for (const QString &piece : splitText(pending))
            value.insert(std::min<qsizetype>(mCaret, value.size()), piece);
    }
    return value;
}

void TokenField::setObjectValue(const QVariant &value)
{
    QStringList list;
    if (value.typeId() == QMetaType::QStringList) {
        list = value.toStringList();
    } else if (value.typeId() == QMetaType::QVariantList) {
        for (const QVariant &item : value.toList()) {
            if (item.typeId() == QMetaType::QString)
                list << item.toString();
        }
    } else if (value.typeId() == QMetaType::QString) {
        list = splitText(value.toString());
    }
    mTokens.clear();
    for (const QString &token : list) {
        if (!token.isEmpty())
            mTokens << token;
    }
    mEditor->clear();
    mCaret = int(mTokens.size());
    mSelected = -1;
    relayout();
    changed(false);
}

QString TokenField::stringValue() const
{
    const QStringList value = objectValue().toStringList();
    return value.join(mTokenizingChars.isEmpty() ? QLatin1Char(',') : mTokenizingChars.at(0));
}

void TokenField::setStringValue(const QString &text)
{
    setObjectValue(QVariant(splitText(text.isNull() ? QString() : text)));
}

void TokenField::setTokenizingCharacterSet(const QString &characters)
{
    mTokenizingChars = characters.isEmpty() ? QStringLiteral(",") : characters;
}

QStringList TokenField::splitText(const QString &text) const
{
    QStringList pieces;
    QString current;
    for (const QChar c : text) {
        if (mTokenizingChars.contains(c) || isLineBreak(c)) {
            pieces << current;
            current.clear();
        } else {
            current += c;
        }
    }
    pieces << current;
    QStringList kept;
    for (const QString &piece : pieces) {
        const QString trimmed = piece.trimmed();
        if (!trimmed.isEmpty())
            kept << trimmed;
    }
    return kept;
}

// ---- editing ----

void TokenField::insertTokens(const QStringList &pieces)
{
    for (const QString &piece : pieces) {
        mTokens.insert(std::min<qsizetype>(mCaret, mTokens.size()), piece);
        ++mCaret;
    }
}

void TokenField::commitEditor()
{
    if (mCommitting)
        return;
    mCommitting = true;
    const QStringList pieces = splitText(mEditor->text());
    const bool hadText = !mEditor->text().isEmpty();
    mEditor->clear();
    insertTokens(pieces);
    mSelected = -1;
    mCommitting = false;
    relayout();
    if (hadText)
        changed(true);
}

void TokenField::onEditorTextEdited(const QString &text)
{
    mSelected = -1;
    bool hasSeparator = false;
    for (const QChar c : text) {
        if (mTokenizingChars.contains(c) || isLineBreak(c)) {
            hasSeparator = true;
            break;
        }
    }
    if (hasSeparator) {
        // Everything up to the last separator becomes tokens; what follows stays in editing.
        qsizetype last = -1;
        for (qsizetype i = text.size() - 1; i >= 0; --i) {
            if (mTokenizingChars.contains(text.at(i)) || isLineBreak(text.at(i))) {
                last = i;
                break;
            }
        }
        insertTokens(splitText(text.left(last)));
        mEditor->setText(text.mid(last + 1));
    }
    relayout();
    changed(true);
}

void TokenField::removeToken(int index)
{
    if (index < 0 || index >= mTokens.size())
        return;
    mTokens.removeAt(index);
    if (mCaret > index)
        --mCaret;
    mSelected = -1;
    relayout();
    changed(true);
}

void TokenField::selectToken(int index)
{
    mSelected = (index >= 0 && index < mTokens.size()) ? index : -1;
    update();
}

void TokenField::editToken(int index)
{
    if (index < 0 || index >= mTokens.size())
        return;
    commitEditor();
    if (index >= mTokens.size())
        return;
    const QString text = mTokens.takeAt(index);
    mCaret = index;
    mSelected = -1;
    mEditor->setText(text);
    mEditor->selectAll();
    mEditor->setFocus();
    relayout();
}

void TokenField::handlePaste()
{
    const QMimeData *data = QApplication::clipboard()->mimeData();
    const QString text = data ? data->text() : QString();
    if (text.isEmpty())
        return;
    if (mEditor->hasSelectedText())
        mEditor->del();
    const QString before = mEditor->text().left(mEditor->cursorPosition());
    const QString after = mEditor->text().mid(mEditor->cursorPosition());
    const QString combined = before + text;
    bool split = false;
    for (const QChar c : text) {
        if (mTokenizingChars.contains(c) || isLineBreak(c)) {
            split = true;
            break;
        }
    }
    if (!split) {
        mEditor->insert(text);
        onEditorTextEdited(mEditor->text());
        return;
    }
    // All complete pieces become tokens at once; the part after the caret stays in editing.
    mEditor->clear();
    insertTokens(splitText(combined));
    mEditor->setText(after);
    mEditor->setCursorPosition(0);
    mSelected = -1;
    relayout();
    changed(true);
}

bool TokenField::handleKey(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        handlePaste();
        return true;
    }
    const bool editorEmpty = mEditor->text().isEmpty();
    const bool atStart = mEditor->cursorPosition() == 0 && !mEditor->hasSelectedText();
    const bool atEnd = mEditor->cursorPosition() == mEditor->text().size();
    switch (event->key()) {
    case Qt::Key_Backspace:
        if (mSelected >= 0) {
            const int index = mSelected;
            removeToken(index);
            return true;
        }
        if (editorEmpty && mCaret > 0) {
            removeToken(mCaret - 1);
            return true;
        }
        return false;
    case Qt::Key_Delete:
        if (mSelected >= 0) {
            removeToken(mSelected);
            return true;
        }
        if (editorEmpty && mCaret < mTokens.size()) {
            removeToken(mCaret);
            return true;
        }
        return false;
    case Qt::Key_Left:
        if (mSelected >= 0) {
            selectToken(std::max(0, mSelected - 1));
            return true;
        }
        if (atStart && mCaret > 0) {
            commitEditor();
            selectToken(mCaret - 1);
            return true;
        }
        return false;
    case Qt::Key_Right:
        if (mSelected >= 0) {
            if (mSelected + 1 < mTokens.size()) {
                selectToken(mSelected + 1);
            } else {
                mSelected = -1;
                mCaret = int(mTokens.size());
                relayout();
            }
            return true;
        }
        if (atEnd && editorEmpty && mCaret < mTokens.size()) {
            ++mCaret;
            relayout();
            return true;
        }
        return false;
    case Qt::Key_Home:
        if (editorEmpty) {
            mCaret = 0;
            mSelected = -1;
            relayout();
            return true;
        }
        return false;
    case Qt::Key_End:
        if (editorEmpty) {
            mCaret = int(mTokens.size());
            mSelected = -1;
            relayout();
            return true;
        }
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (mSelected >= 0) {
            editToken(mSelected);
            return true;
        }
        return false; // the editor's returnPressed commits
    default:
        if (mSelected >= 0 && !event->text().isEmpty() && event->text().at(0).isPrint()) {
            // Typing over a selected token puts the caret after it.
            mCaret = mSelected + 1;
            mSelected = -1;
            relayout();
        }
        return false;
    }
}

bool TokenField::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mEditor) {
        switch (event->type()) {
        case QEvent::KeyPress: {
            bool handled = false;
            GUARD_BEGIN
            handled = handleKey(static_cast<QKeyEvent *>(event));
            GUARD_END_VOID
            return handled;
        }
        case QEvent::FocusOut:
            if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
                commitEditor();
            if (mSelected >= 0)
                selectToken(-1);
            break;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

void TokenField::changed(bool byUser)
{
    contentDidChange();
    if (byUser)
        emit textDidChange();
}

// ---- layout and painting ----

void TokenField::setRightMargin(int margin)
{
    mRightMargin = std::max(0, margin);
    relayout();
}

QRect TokenField::contentRect() const
{
    QRect r = contentsRect().adjusted(kFrameMargin, 1, -kFrameMargin - mRightMargin, -1);
    if (r.width() < 0)
        r.setWidth(0);
    return r;
}

void TokenField::relayout()
{
    const QFontMetrics fm(font());
    mChips.resize(size_t(mTokens.size()));
    const QString editorText = mEditor->text();
    const int editorWidth =
        std::max(kEditorMinWidth, fm.horizontalAdvance(editorText) + 2 * fm.averageCharWidth());
    const QRect area = contentRect();
    int x = 0;
    int editorX = 0;
    for (int i = 0; i <= mTokens.size(); ++i) {
        if (i == mCaret) {
            editorX = x;
            x += editorWidth + kChipSpacing;
        }
        if (i == mTokens.size())
            break;
        Chip &chip = mChips[size_t(i)];
        chip.x = x;
        chip.width = fm.horizontalAdvance(mTokens.at(i)) + 2 * kChipPadding;
        x += chip.width + kChipSpacing;
    }
    if (mCaret > mTokens.size())
        editorX = x;
    // Never scrolled further than the content needs: a field that grows shows its first tokens
    // again instead of keeping them out of sight beside free room.
    mMaxScroll = std::max(0, x - kChipSpacing - area.width());
    mScroll = std::min(mScroll, mMaxScroll);
    // The editing part takes the rest of the line when it is last.
    const int editorRight = std::max(editorX + editorWidth, area.width() + mScroll);
    const int shownWidth = mCaret >= mTokens.size() ? editorRight - editorX : editorWidth;
    mEditor->setGeometry(area.left() + editorX - mScroll, area.top(), shownWidth, area.height());
    scrollToCaret();
    update();
}

void TokenField::scrollToCaret()
{
    const QRect area = contentRect();
    const QRect editorRect = mEditor->geometry();
    const int caretX =
        editorRect.left() + mEditor->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    int newScroll = mScroll;
    if (caretX > area.right() - 4)
        newScroll += caretX - (area.right() - 4);
    else if (caretX < area.left())
        newScroll -= area.left() - caretX;
    if (mSelected >= 0 && mSelected < int(mChips.size())) {
        const Chip &chip = mChips[size_t(mSelected)];
        if (chip.x - newScroll < 0)
            newScroll = chip.x;
        else if (chip.x + chip.width - newScroll > area.width())
            newScroll = chip.x + chip.width - area.width();
    }
    newScroll = std::clamp(newScroll, 0, mMaxScroll);
    if (newScroll != mScroll) {
        mScroll = newScroll;
        relayout();
    }
}

QRect TokenField::tokenRect(int index) const
{
    if (index < 0 || index >= int(mChips.size()))
        return {};
    const QRect area = contentRect();
    const Chip &chip = mChips[size_t(index)];
    return QRect(area.left() + chip.x - mScroll, area.top() + 1, chip.width, area.height() - 2);
}

int TokenField::tokenAt(const QPoint &pos) const
{
    for (int i = 0; i < int(mChips.size()); ++i) {
        if (tokenRect(i).contains(pos))
            return i;
    }
    return -1;
}

void TokenField::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect area = contentRect();
    painter.setClipRect(area);
    const QPalette &pal = palette();
    for (int i = 0; i < int(mChips.size()); ++i) {
        const QRect r = tokenRect(i);
        if (r.right() < area.left() || r.left() > area.right())
            continue;
        const bool selected = i == mSelected;
        // Highlight colours are made to carry highlighted text; the chip itself is a light tint
        // of the highlight over the base colour, with the normal text colour on it.
        QColor fill = selected ? pal.color(QPalette::Highlight) : pal.color(QPalette::Button);
        const QColor text =
            selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::ButtonText);
        QPainterPath path;
        path.addRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        painter.fillPath(path, fill);
        painter.setPen(pal.color(QPalette::Mid));
        painter.drawPath(path);
        painter.setPen(text);
        painter.drawText(r, Qt::AlignCenter, mTokens.at(i));
    }
}

void TokenField::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    relayout();
}

void TokenField::changeEvent(QEvent *event)
{
    QFrame::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        mEditor->setFont(font());
        relayout();
    }
}

void TokenField::mousePressEvent(QMouseEvent *event)
{
    const int index = tokenAt(event->position().toPoint());
    if (index >= 0) {
        commitEditor();
        mEditor->setFocus(Qt::MouseFocusReason);
        selectToken(tokenAt(event->position().toPoint()));
        return;
    }
    // A click on empty room puts the caret at the end.
    commitEditor();
    mSelected = -1;
    mCaret = int(mTokens.size());
    relayout();
    mEditor->setFocus(Qt::MouseFocusReason);
    QFrame::mousePressEvent(event);
}

void TokenField::mouseDoubleClickEvent(QMouseEvent *event)
{
    const int index = tokenAt(event->position().toPoint());
    if (index >= 0) {
        editToken(index);
        return;
    }
    QFrame::mouseDoubleClickEvent(event);
}

QSize TokenField::sizeHint() const
{
    const QSize editorHint = mEditor->sizeHint();
    return {std::max(160, editorHint.width()), editorHint.height() + 2 * frameWidth() + 4};
}

QSize TokenField::minimumSizeHint() const
{
    const QSize editorHint = mEditor->minimumSizeHint();
    return {60, editorHint.height() + 2 * frameWidth() + 4};
}
