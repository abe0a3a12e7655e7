// What the user puts into a pane: keys, the context menu, the clipboard, drops and input methods.
#include "textcompare/MyEditTextView.h"

#include "textcompare/PaneLoader.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextBlock>
#include <algorithm>
#include <memory>

void MyEditTextView::cutSelection()
{
    FoldWatch watch(this);
    cut();
}

void MyEditTextView::inputMethodEvent(QInputMethodEvent *event)
{
    FoldWatch watch(this);
    QPlainTextEdit::inputMethodEvent(event);
}

void MyEditTextView::dropEvent(QDropEvent *event)
{
    FoldWatch watch(this);
    QPlainTextEdit::dropEvent(event);
}

void MyEditTextView::keyPressEvent(QKeyEvent *event)
{
    // Undo and redo put back what was; they are not watched.
    const bool undo = event->matches(QKeySequence::Undo);
    if (undo || event->matches(QKeySequence::Redo)) {
        if (mUndoHandler && !isReadOnly()) {
            mUndoHandler(!undo);
            event->accept();
        } else {
            QPlainTextEdit::keyPressEvent(event);
        }
        return;
    }
    FoldWatch watch(this);
    if (breakLineWithIndent(event) || handleFoldKeys(event)) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

bool MyEditTextView::breakLineWithIndent(QKeyEvent *event)
{
    if (!mAutoIndent || isReadOnly() || !event->matches(QKeySequence::InsertParagraphSeparator))
        return false;
    // The new line starts with the white space its line starts with, as far as the break goes
    // (a folded line's is that of its first row).
    QTextCursor cursor = textCursor();
    const int at = cursor.selectionStart();
    const FoldMap &folds = foldMap();
    const QTextBlock block = document()->findBlock(at);
    const QTextBlock lineStart = document()->findBlockByNumber(
        int(folds.firstBlockOfLine(folds.lineOfBlock(block.blockNumber()))));
    if (!block.isValid() || !lineStart.isValid())
        return false;
    const QString text = lineStart.text();
    qsizetype indent = 0;
    while (indent < text.size() && (text[indent] == u' ' || text[indent] == u'\t'))
        ++indent;
    if (lineStart == block)
        indent = std::min<qsizetype>(indent, at - block.position());
    if (indent == 0)
        return false;
    // One edit: one undo takes the break and its indent back together.
    InsertPaneText(cursor, QString(u'\n') + text.left(indent), false);
    setTextCursor(cursor);
    ensureCursorVisible();
    return true;
}

void MyEditTextView::contextMenuEvent(QContextMenuEvent *event)
{
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    if (!menu)
        return;
    if (mUndoHandler) {
        for (QAction *a : menu->actions()) {
            const bool undo = a->objectName() == QLatin1String("edit-undo");
            if (!undo && a->objectName() != QLatin1String("edit-redo"))
                continue;
            a->disconnect(SIGNAL(triggered(bool)));
            a->setEnabled(!isReadOnly() && (!mUndoAvailable || mUndoAvailable(!undo)));
            connect(a, &QAction::triggered, this, [this, undo] {
                if (mUndoHandler)
                    mUndoHandler(!undo);
            });
        }
    }
    // Cut and Delete keep the fold marks of the rows (Paste does already).
    for (QAction *a : menu->actions()) {
        if (a->objectName() == QLatin1String("edit-cut")) {
            a->disconnect(SIGNAL(triggered(bool)));
            connect(a, &QAction::triggered, this, [this] { cutSelection(); });
        } else if (a->objectName() == QLatin1String("edit-delete")) {
            a->disconnect(SIGNAL(triggered(bool)));
            connect(a, &QAction::triggered, this, [this] {
                QTextCursor cursor = textCursor();
                RemovePaneSelection(cursor);
                setTextCursor(cursor);
            });
        }
    }
    menu->exec(event->globalPos());
}

QMimeData *MyEditTextView::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection() || foldMap().empty())
        return QPlainTextEdit::createMimeDataFromSelection();
    // As Qt copies an unfolded pane: line separators as line breaks, no-break spaces as spaces.
    QString text = PaneText(document(), cursor.selectionStart(), cursor.selectionEnd());
    text.replace(QChar(QChar::LineSeparator), u'\n');
    text.replace(QChar(QChar::Nbsp), u' ');
    auto *data = new QMimeData;
    data->setText(text);
    return data;
}

void MyEditTextView::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly() || !source || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QTextCursor cursor = textCursor();
    InsertPaneText(cursor, source->text(), mFoldLongLines);
    mMayHaveFolds = mMayHaveFolds || HasHadFoldRows(document());
    setTextCursor(cursor);
    ensureCursorVisible();
}
