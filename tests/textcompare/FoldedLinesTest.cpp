// Very long lines shown in rows: the text read, compared, copied and saved never changes for it.
#include "TextCompareFixture.h"

#include "textcompare/FoldedLines.h"
#include "textcompare/PaneLoader.h"
#include "themes/LanguageList.h"
#include "themes/SyntaxTextView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>
#include <QFile>
#include <QPlainTextDocumentLayout>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

namespace {

QString longLine(qsizetype length, int seed = 0)
{
    QString s(length, u'a');
    for (qsizetype i = 0; i < length; ++i)
        s[i] = QChar(u'a' + char16_t((i * 7 + seed) % 26));
    return s;
}

std::unique_ptr<QTextDocument> foldedDocument(const QString &text)
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setDocumentLayout(new QPlainTextDocumentLayout(doc.get()));
    doc->setUndoRedoEnabled(false);
    QTextCursor cursor(doc.get());
    InsertPaneText(cursor, text, true);
    doc->setUndoRedoEnabled(true);
    return doc;
}

// Every text position lands on its own character in the document, and back.
void expectPositionsMap(const QTextDocument &doc, const QString &text)
{
    FoldMap map;
    map.rebuild(&doc);
    const QString raw = doc.toRawText();
    for (qsizetype t = 0; t < text.size(); t += 37) {
        const qint64 d = map.toDocument(t);
        ASSERT_LT(d, raw.size());
        const QChar expected = text.at(t) == u'\n' ? QChar(QChar::ParagraphSeparator) : text.at(t);
        ASSERT_EQ(raw.at(d), expected) << "text position " << t;
        ASSERT_EQ(map.toText(d), t);
    }
}

} // namespace

TEST(FoldedLines, RowsOfALongLineNeverSplitASurrogatePair)
{
    EXPECT_EQ(FoldRowStarts(longLine(kFoldLineLength)), std::vector<qsizetype>{0});
    const std::vector<qsizetype> rows = FoldRowStarts(longLine(kFoldLineLength + 1));
    ASSERT_EQ(rows.size(), size_t(kFoldLineLength / kFoldRowLength + 1));
    EXPECT_EQ(rows[1], kFoldRowLength);

    // A pair across the first row's edge moves the edge before it.
    QString line = longLine(kFoldLineLength + 5);
    line[kFoldRowLength - 1] = QChar(0xd83d);
    line[kFoldRowLength] = QChar(0xde00);
    const std::vector<qsizetype> cut = FoldRowStarts(line);
    EXPECT_EQ(cut[1], kFoldRowLength - 1);
    EXPECT_EQ(cut[2], 2 * kFoldRowLength - 1);
}

TEST(FoldedLines, FoldedDocumentGivesBackTheTextItWasGiven)
{
    const QString tail = longLine(kFoldLineLength + 2500, 3);
    const QStringList texts{
        QString(),
        QStringLiteral("short\n\nlines\n"),
        longLine(kFoldLineLength * 3 + 17),
        QStringLiteral("before\n") + longLine(25'000) + QStringLiteral("\nafter\n\n") + tail,
        longLine(20'000) + QStringLiteral("\n") + longLine(kFoldLineLength) + u'\n',
    };
    for (const QString &text : texts) {
        SCOPED_TRACE(text.size());
        auto doc = foldedDocument(text);
        EXPECT_EQ(PaneText(doc.get()), text);
        FoldMap map;
        map.rebuild(doc.get());
        const qint64 lines = text.count(u'\n') + 1;
        EXPECT_EQ(doc->blockCount() - map.foldRowCount(), lines);
        expectPositionsMap(*doc, text);
    }

    // Another kind of break in a pasted text is a line break, never a row mark.
    auto doc = foldedDocument(longLine(12'000) + QStringLiteral("\r\nx\ry"));
    EXPECT_EQ(PaneText(doc.get()), longLine(12'000) + QStringLiteral("\nx\ny"));
}

TEST(FoldedLines, LinesAndRowsMapBothWays)
{
    // Lines: 0 "one", 1 long (25 rows), 2 "two", 3 long (11 rows), 4 "".
    const QString text = QStringLiteral("one\n") + longLine(25'000) + QStringLiteral("\ntwo\n") +
                         longLine(10'500) + u'\n';
    auto doc = foldedDocument(text);
    FoldMap map;
    map.rebuild(doc.get());
    ASSERT_EQ(map.foldRowCount(), 24 + 10);
    EXPECT_EQ(map.firstBlockOfLine(0), 0);
    EXPECT_EQ(map.firstBlockOfLine(1), 1);
    EXPECT_EQ(map.firstBlockOfLine(2), 26);
    EXPECT_EQ(map.firstBlockOfLine(3), 27);
    EXPECT_EQ(map.firstBlockOfLine(4), 38);
    EXPECT_EQ(map.foldRowsOfLine(1), 24);
    EXPECT_EQ(map.foldRowsOfLine(2), 0);
    EXPECT_EQ(map.foldRowsOfLine(3), 10);
    for (qint64 block = 0; block < doc->blockCount(); ++block) {
        const qint64 line = map.lineOfBlock(block);
        EXPECT_GE(block, map.firstBlockOfLine(line));
        EXPECT_LE(block, map.firstBlockOfLine(line) + map.foldRowsOfLine(line));
    }
}

TEST(FoldedLines, EditsKeepTheTextAndTheMapFollowsThem)
{
    const QString text = QStringLiteral("head\n") + longLine(30'000) + QStringLiteral("\ntail");
    auto doc = foldedDocument(text);
    FoldMap map;
    map.rebuild(doc.get());
    QString expected = text;
    int pending[3] = {-1, 0, 0};
    QObject::connect(doc.get(), &QTextDocument::contentsChange, [&](int p, int r, int a) {
        pending[0] = p;
        pending[1] = r;
        pending[2] = a;
    });

    // Typing inside a row: the map follows without a walk of the document.
    FoldMap followed = map;
    QTextCursor cursor(doc.get());
    cursor.setPosition(int(map.toDocument(5 + 12'345)));
    cursor.insertText(QStringLiteral("XYZ"));
    expected.insert(5 + 12'345, QStringLiteral("XYZ"));
    ASSERT_TRUE(followed.follow(doc.get(), pending[0], pending[1], pending[2]));
    map.rebuild(doc.get());
    for (qint64 t = 0; t < expected.size(); t += 101)
        ASSERT_EQ(followed.toDocument(t), map.toDocument(t));
    EXPECT_EQ(PaneText(doc.get()), expected);

    // A break typed into the middle of a row, and a pasted text with breaks: each a break of the
    // text, however the row it split was marked.
    cursor.setPosition(int(map.toDocument(5 + 20'500)));
    InsertPaneText(cursor, u"\n", false);
    expected.insert(5 + 20'500, u'\n');
    EXPECT_EQ(PaneText(doc.get()), expected);
    map.rebuild(doc.get());
    cursor.setPosition(int(map.toDocument(5 + 3'003)));
    InsertPaneText(cursor, u"p\nq\n", true);
    expected.insert(5 + 3'003, QStringLiteral("p\nq\n"));
    EXPECT_EQ(PaneText(doc.get()), expected);
    map.rebuild(doc.get());
    expectPositionsMap(*doc, expected);

    // A selection across row edges comes out as the text it covers.
    const qint64 from = 5 + 1'990, to = 5 + 2'010 + 3'000;
    EXPECT_EQ(PaneText(doc.get(), int(map.toDocument(from)), int(map.toDocument(to))),
              expected.mid(from, to - from));

    // Undo takes every step back to the text first given.
    while (doc->isUndoAvailable())
        doc->undo();
    EXPECT_EQ(PaneText(doc.get()), text);
}

TEST(PaneLoader, BigTextsAreBuiltFoldedAndSmallOnesAsTheyAre)
{
    const QString text = QStringLiteral("a\n") + longLine(15'000);
    std::unique_ptr<QTextDocument> plain(BuildPaneDocument(text, nullptr, false));
    EXPECT_EQ(plain->blockCount(), 2);
    EXPECT_FALSE(HasHadFoldRows(plain.get()));
    std::unique_ptr<QTextDocument> folded(BuildPaneDocument(text, nullptr, true));
    EXPECT_EQ(folded->blockCount(), 2 + 14);
    EXPECT_TRUE(HasHadFoldRows(folded.get()));
    EXPECT_EQ(PaneText(folded.get()), text);
    EXPECT_FALSE(folded->isUndoAvailable());
    EXPECT_FALSE(folded->isModified());
}

class FoldedPaneTest : public TextCompareTest
{
};

TEST_F(FoldedPaneTest, PaneCountsLinesNotRowsAndKeysKeepTheText)
{
    MyEditTextView view;
    view.resize(600, 400);
    view.setFoldLongLines(true);
    const QString text = QStringLiteral("first\n") + longLine(200'000) + QStringLiteral("\nlast\n");
    view.loadText(text);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(view.lineCount(), 4);
    EXPECT_EQ(view.plainText(), text);
    EXPECT_FALSE(view.document()->isUndoAvailable());

    // Scrolled into the long line: the line and the row within it.
    view.scrollToLine(1, 17);
    EXPECT_EQ(view.firstVisibleLine(), 1);
    EXPECT_EQ(view.firstVisibleRowInLine(), 17);
    EXPECT_LT(view.lineTopY(1), 0);
    EXPECT_GT(view.lineTopY(2), view.viewport()->height());
    view.scrollToLine(0, 5); // a line of one row
    EXPECT_EQ(view.firstVisibleLine(), 0);
    EXPECT_EQ(view.firstVisibleRowInLine(), 0);
    view.scrollToLine(1, 100);
    EXPECT_EQ(view.firstVisibleRowInLine(), 100);

    // Return in the middle of a row is a break of the text; Backspace at the start of a row takes
    // the character before the row's edge; Delete at a row's end the one after it.
    QTextCursor cursor(view.document());
    cursor.setPosition(int(view.foldMap().toDocument(6 + 5'500)));
    view.setTextCursor(cursor);
    QTest::keyClick(&view, Qt::Key_Return);
    QString expected = text;
    expected.insert(6 + 5'500, u'\n');
    EXPECT_EQ(view.plainText(), expected);
    EXPECT_EQ(view.cursorLine(), 2);

    const QTextBlock third = view.document()->findBlockByNumber(3);
    ASSERT_TRUE(IsFoldRow(third));
    cursor.setPosition(third.position());
    qint64 at = view.foldMap().toText(cursor.position());
    view.setTextCursor(cursor);
    QTest::keyClick(&view, Qt::Key_Backspace);
    expected.remove(at - 1, 1);
    EXPECT_EQ(view.plainText(), expected);

    const QTextBlock fourth = view.document()->findBlockByNumber(4);
    ASSERT_TRUE(IsFoldRow(fourth.next()));
    cursor.setPosition(fourth.position() + fourth.length() - 1);
    at = view.foldMap().toText(cursor.position());
    view.setTextCursor(cursor);
    QTest::keyClick(&view, Qt::Key_Delete);
    expected.remove(at, 1);
    EXPECT_EQ(view.plainText(), expected);

    // Copy gives the text without the rows' edges; paste puts breaks in as breaks.
    cursor.setPosition(int(view.foldMap().toDocument(6 + 900)));
    cursor.setPosition(int(view.foldMap().toDocument(6 + 4'100)), QTextCursor::KeepAnchor);
    view.setTextCursor(cursor);
    view.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), expected.mid(6 + 900, 3'200));
    QApplication::clipboard()->setText(QStringLiteral("x\ny"));
    cursor.setPosition(int(view.foldMap().toDocument(6 + 7'000)));
    view.setTextCursor(cursor);
    view.paste();
    expected.insert(6 + 7'000, QStringLiteral("x\ny"));
    EXPECT_EQ(view.plainText(), expected);

    // Everything undone: the text loaded.
    while (view.document()->isUndoAvailable())
        view.document()->undo();
    EXPECT_EQ(view.plainText(), text);
}

TEST_F(FoldedPaneTest, PaneOfASmallTextFoldsOnlyLinesTooLongToLayOut)
{
    MyEditTextView view;
    const QString text = longLine(20'000) + QStringLiteral("\nb");
    view.loadText(text);
    EXPECT_EQ(view.document()->blockCount(), 2);
    EXPECT_TRUE(view.foldMap().empty());
    EXPECT_EQ(view.plainText(), text);

    // A line too long to lay out at every paint is folded wherever it comes from.
    const QString huge = QStringLiteral("a\n") + longLine(kAlwaysFoldLineLength + 1) + u'\n';
    view.loadText(huge);
    EXPECT_FALSE(view.foldMap().empty());
    EXPECT_EQ(view.lineCount(), 3);
    EXPECT_EQ(view.plainText(), huge);
    view.replaceAllText(text);
    EXPECT_EQ(view.plainText(), text);
    QApplication::clipboard()->setText(huge);
    view.selectAll();
    view.paste();
    EXPECT_EQ(view.plainText(), huge);
    EXPECT_GT(view.document()->blockCount(), kAlwaysFoldLineLength / kFoldRowLength);
    // Built for a pane that does not fold: only the line too long to lay out is.
    const QString mixed = longLine(20'000) + u'\n' + huge;
    std::unique_ptr<QTextDocument> built(BuildPaneDocument(mixed, nullptr, false));
    EXPECT_TRUE(HasHadFoldRows(built.get()));
    EXPECT_EQ(built->blockCount(), 1 + 1 + (kAlwaysFoldLineLength / kFoldRowLength + 1) + 1);
    EXPECT_EQ(PaneText(built.get()), mixed);
}

// A pair above the big-text size: shown folded, compared, a block taken, saved byte for byte.
TEST_F(FoldedPaneTest, BigOneLinePairOpensFoldedAndSavesExactly)
{
    QByteArray left(kLargeTextGuard + 1000, 'a');
    for (qsizetype i = 0; i < left.size(); i += 7)
        left[i] = char('a' + (i / 7) % 26);
    QByteArray right = left;
    left[left.size() / 2] = 'X';
    right[right.size() / 2] = 'Y';
    right += "\nsecond line\n";
    const QString l = write(QStringLiteral("left.txt"), left);
    const QString r = write(QStringLiteral("right.txt"), right);
    auto w = open(l, r);
    MyEditTextView *v1 = w->textView(1);
    MyEditTextView *v2 = w->textView(2);
    EXPECT_TRUE(v1->foldsLongLines());
    EXPECT_EQ(v1->lineCount(), 1);
    EXPECT_EQ(v2->lineCount(), 3);
    EXPECT_GT(v1->document()->blockCount(), left.size() / kFoldRowLength - 1);
    ASSERT_EQ(w->mergeBlocks().size(), 1u);
    EXPECT_EQ(w->GetTextInView1().size(), left.size());

    // The selected block shows the row of the change, in both panes, once its changed characters
    // are known.
    w->selectBlock(0);
    settle(*w);
    const qint64 row = (left.size() / 2) / kFoldRowLength;
    EXPECT_NEAR(double(v1->firstVisibleRowInLine()), double(row), 30.0);
    EXPECT_EQ(v2->firstVisibleRowInLine(), v1->firstVisibleRowInLine());
    // Its changed characters are marked where they are, past thousands of rows.
    const QList<QTextEdit::ExtraSelection> marks1 = v1->extraSelections();
    ASSERT_EQ(marks1.size(), 1);
    EXPECT_EQ(marks1[0].cursor.selectedText(), QStringLiteral("X"));
    const QList<QTextEdit::ExtraSelection> marks2 = v2->extraSelections();
    ASSERT_FALSE(marks2.isEmpty());
    EXPECT_EQ(marks2[0].cursor.selectedText(), QStringLiteral("Y"));

    // Taking the block into the left pane gives it the right text; saved, the bytes are the
    // right file's.
    ASSERT_TRUE(w->Merge_CopyBlock(2, 0));
    EXPECT_EQ(w->GetTextInView1(), QString::fromLatin1(right));
    // The panes stay at the rows of the change the user took.
    EXPECT_NEAR(double(v1->firstVisibleRowInLine()), double(row), 30.0);
    EXPECT_NEAR(double(v2->firstVisibleRowInLine()), double(row), 30.0);
    ASSERT_TRUE(w->SaveSide(1));
    QFile saved(l);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll() == right);
    settle(*w);
    EXPECT_TRUE(w->mergeBlocks().empty());
}

// A seeded random walk of edits on a pane of a big text: typing, breaks, pastes of long and short
// lines, deletions across row edges, undo and redo. After every step the pane's text is the text
// the same edits give on a plain string, and the map of rows agrees with one made afresh.
// PELKO_FOLD_STEPS makes the walk longer; PELKO_SEED changes it.
TEST_F(FoldedPaneTest, RandomEditsKeepTheTextExact)
{
    const int steps = qEnvironmentVariableIsSet("PELKO_FOLD_STEPS")
                          ? qEnvironmentVariableIntValue("PELKO_FOLD_STEPS")
                          : 400;
    const quint32 seed = qEnvironmentVariableIsSet("PELKO_SEED")
                             ? quint32(qEnvironmentVariableIntValue("PELKO_SEED"))
                             : 20261207u;
    QRandomGenerator rng(seed);
    auto randomText = [&](qsizetype length, bool breaks) {
        QString s(length, u'x');
        for (qsizetype i = 0; i < length; ++i) {
            const quint32 r = rng.bounded(100u);
            s[i] = breaks && r < 3 ? QChar(u'\n')
                   : r < 5         ? QChar(0xe9)
                   : r < 7         ? QChar(QChar::LineSeparator)
                                   : QChar(u'a' + char16_t(rng.bounded(26u)));
        }
        // A surrogate pair now and then, never cut in two.
        if (length > 4 && rng.bounded(2u) == 0) {
            const qsizetype at = rng.bounded(quint32(length - 1));
            s[at] = QChar(0xd83d);
            s[at + 1] = QChar(0xde00);
        }
        return s;
    };

    MyEditTextView view;
    view.resize(500, 300);
    view.setFoldLongLines(true);
    QString text = randomText(3'000, true) + u'\n' + randomText(35'000, false) + u'\n' +
                   randomText(2'000, true) + randomText(12'500, false);
    view.loadText(text);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    std::vector<QString> undoStack, redoStack;

    for (int step = 0; step < steps; ++step) {
        SCOPED_TRACE(step);
        const FoldMap &map = view.foldMap();
        QTextCursor cursor(view.document());
        auto textAt = [&](qint64 position) { return map.toDocument(position); };
        const quint32 op = rng.bounded(100u);
        const QString before = text;
        QString debug;
        if (op < 45) { // insert
            qsizetype at = rng.bounded(quint32(text.size() + 1));
            if (at > 0 && at < text.size() && text.at(at).isLowSurrogate())
                --at;
            const bool lng = rng.bounded(10u) == 0;
            const QString piece = lng ? randomText(11'000 + rng.bounded(5'000u), rng.bounded(2u))
                                      : randomText(rng.bounded(8u) + 1, rng.bounded(3u) == 0);
            cursor.setPosition(int(textAt(at)));
            view.setTextCursor(cursor);
            if (piece == QStringLiteral("\n") || rng.bounded(4u) == 0) {
                QApplication::clipboard()->setText(piece);
                view.paste();
            } else {
                InsertPaneText(cursor, piece, true);
            }
            text.insert(at, piece);
        } else if (op < 65) { // a typed break
            qsizetype at = rng.bounded(quint32(text.size() + 1));
            if (at > 0 && at < text.size() && text.at(at).isLowSurrogate())
                --at;
            cursor.setPosition(int(textAt(at)));
            view.setTextCursor(cursor);
            QTest::keyClick(&view, Qt::Key_Return);
            text.insert(at, u'\n');
        } else if (op < 75) { // Backspace or Delete with nothing selected, at row edges too
            qsizetype at = rng.bounded(quint32(text.size() + 1));
            if (at > 0 && at < text.size() && text.at(at).isLowSurrogate())
                --at;
            const bool back = rng.bounded(2u) == 0;
            cursor.setPosition(int(textAt(at)));
            view.setTextCursor(cursor);
            debug = QStringLiteral("%1 at %2").arg(back ? "Backspace" : "Delete").arg(at);
            QTest::keyClick(&view, back ? Qt::Key_Backspace : Qt::Key_Delete);
            if (back && at > 0) {
                const bool pair = at >= 2 && text.at(at - 1).isLowSurrogate() &&
                                  text.at(at - 2).isHighSurrogate();
                text.remove(at - (pair ? 2 : 1), pair ? 2 : 1);
            } else if (!back && at < text.size()) {
                const bool pair = at + 1 < text.size() && text.at(at).isHighSurrogate() &&
                                  text.at(at + 1).isLowSurrogate();
                text.remove(at, pair ? 2 : 1);
            }
        } else if (op < 90 && !text.isEmpty()) { // delete a range, across row edges or not
            qsizetype from = rng.bounded(quint32(text.size()));
            qsizetype to = std::min<qsizetype>(text.size(), from + 1 + rng.bounded(3'000u));
            if (from > 0 && text.at(from).isLowSurrogate())
                --from;
            if (to < text.size() && text.at(to).isLowSurrogate())
                ++to;
            cursor.setPosition(int(textAt(from)));
            cursor.setPosition(int(textAt(to)), QTextCursor::KeepAnchor);
            debug = QStringLiteral("removing %1..%2").arg(from).arg(to);
            view.setTextCursor(cursor);
            // Each way Qt removes a selection on its own.
            switch (rng.bounded(4u)) {
            case 0:
                QTest::keyClick(&view, Qt::Key_Delete);
                text.remove(from, to - from);
                break;
            case 1:
                QTest::keyClick(&view, Qt::Key_Backspace);
                text.remove(from, to - from);
                break;
            case 2:
                QTest::keyClick(&view, Qt::Key_Q);
                text.replace(from, to - from, QStringLiteral("q"));
                break;
            default:
                view.cutSelection();
                // Copied as Qt copies text: line separators as breaks.
                ASSERT_EQ(QApplication::clipboard()->text(),
                          text.mid(from, to - from).replace(QChar(QChar::LineSeparator), u'\n'));
                text.remove(from, to - from);
                break;
            }
        } else if (op < 96 && !undoStack.empty()) {
            view.undo();
            redoStack.push_back(text);
            text = undoStack.back();
            undoStack.pop_back();
            ASSERT_EQ(view.plainText(), text);
            continue;
        } else if (!redoStack.empty()) {
            view.redo();
            undoStack.push_back(text);
            text = redoStack.back();
            redoStack.pop_back();
            ASSERT_EQ(view.plainText(), text);
            continue;
        } else {
            continue;
        }
        if (text != before) {
            undoStack.push_back(before);
            redoStack.clear();
        }
        const QString shown = view.plainText();
        if (shown != text) {
            qsizetype d = 0;
            while (d < shown.size() && d < text.size() && shown[d] == text[d])
                ++d;
            auto show = [&](const QString &s) {
                return s.mid(std::max<qsizetype>(0, d - 8), 16).replace(u'\n', u'|').toStdString();
            };
            FAIL() << debug.toStdString() << " op " << op << " lengths " << shown.size() << " vs "
                   << text.size() << " first difference at " << d << ": shown \"" << show(shown)
                   << "\" wanted \"" << show(text) << "\"";
        }
        FoldMap fresh;
        fresh.rebuild(view.document());
        ASSERT_EQ(view.lineCount(), text.count(u'\n') + 1);
        for (qint64 t = 0; t < text.size(); t += 997)
            ASSERT_EQ(view.foldMap().toDocument(t), fresh.toDocument(t)) << t;
    }
}

// A selection from the start of a line into a folded line, removed from the context menu: the
// line break before the selection stays (Qt would give the joined block the row's mark).
TEST_F(FoldedPaneTest, ContextMenuDeleteAndCutKeepTheBreakBeforeTheSelection)
{
    for (const QString &name : {QStringLiteral("edit-delete"), QStringLiteral("edit-cut")}) {
        SCOPED_TRACE(name.toStdString());
        MyEditTextView view;
        view.resize(500, 300);
        view.setFoldLongLines(true);
        const QString text = QStringLiteral("aaa\nbbb\n") + longLine(30'000);
        view.loadText(text);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        QTextCursor cursor(view.document());
        cursor.setPosition(int(view.foldMap().toDocument(4)));
        cursor.setPosition(int(view.foldMap().toDocument(8 + 2'500)), QTextCursor::KeepAnchor);
        view.setTextCursor(cursor);
        bool triggered = false;
        QTimer::singleShot(0, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction *a : menu->actions())
                if (a->objectName() == name) {
                    a->trigger();
                    triggered = true;
                }
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20),
                                view.viewport()->mapToGlobal(QPoint(20, 20)));
        QApplication::sendEvent(view.viewport(), &event);
        ASSERT_TRUE(triggered);
        EXPECT_EQ(view.plainText(), QStringLiteral("aaa\n") + text.mid(8 + 2'500));
        EXPECT_EQ(view.lineCount(), 2);
        // One step back gives the text as it was.
        view.undo();
        EXPECT_EQ(view.plainText(), text);
    }
}

// A small side beside a big one folds its long lines as the big side does, whichever is read
// first.
TEST_F(FoldedPaneTest, SmallSideBesideABigOneFoldsToo)
{
    const QByteArray small = "short\n" + longLine(15'000).toLatin1() + '\n';
    QByteArray big(kLargeTextGuard + 10, 'b');
    const QString l = write(QStringLiteral("small.txt"), small);
    const QString r = write(QStringLiteral("big.txt"), big);
    auto w = open(l, r);
    EXPECT_FALSE(w->textView(1)->foldMap().empty());
    EXPECT_EQ(w->textView(1)->lineCount(), 3);
    EXPECT_EQ(w->GetTextInView1(), QString::fromLatin1(small));
    EXPECT_TRUE(w->textView(1)->foldsLongLines());
}

// A page of about 60,000 characters on one line, from the files to the saved bytes: shown in
// rows, coloured, compared and marked, copied across rows, typed into, and saved byte for byte
// with its CRLF line ends; a surrogate pair that would straddle a row's edge stays whole.
TEST_F(FoldedPaneTest, AOneLinePageIsShownInRowsEndToEnd)
{
    ASSERT_GT(Setup_gAppLanguageInfoList(), 0);
    QByteArray page = "<html><body>";
    for (int i = 0; page.size() < 60'000; ++i) {
        const QByteArray tag =
            "<b id=\"t" + QByteArray::number(i) + "\">x" + QByteArray::number(i) + "</b>";
        if (page.size() <= 999 && page.size() + tag.size() > 999) {
            // The pair's high half would be the first row's last unit.
            page += QByteArray(999 - page.size(), ' ');
            page += "\xF0\x9F\x98\x80";
        }
        page += tag;
    }
    const QByteArray tail = "</body></html>\r\n<p>end</p>\r\n";
    QByteArray changed = page;
    const qsizetype middle = changed.indexOf(">x", changed.size() / 2) + 1;
    changed[middle] = 'y';
    const QString l = write(QStringLiteral("left.html"), page + tail);
    const QString r = write(QStringLiteral("right.html"), changed + tail);
    auto w = open(l, r);
    MyEditTextView *v1 = w->textView(1);
    ASSERT_FALSE(v1->foldMap().empty());
    ASSERT_FALSE(w->textView(2)->foldMap().empty());
    EXPECT_EQ(v1->lineCount(), 3);
    const QString text = QString::fromUtf8(page + "</body></html>\n<p>end</p>\n");
    EXPECT_EQ(w->GetTextInView1(), text);
    const qsizetype pair = text.indexOf(QChar(0xD83D));
    ASSERT_GT(pair, 0);
    const QTextBlock pairRow = v1->document()->findBlock(int(v1->foldMap().toDocument(pair)));
    EXPECT_EQ(v1->foldMap().toDocument(pair + 1), v1->foldMap().toDocument(pair) + 1)
        << "the pair is in one row";
    EXPECT_TRUE(pairRow.text().contains(QString::fromUtf8("\xF0\x9F\x98\x80")));

    // Compared: one block; the changed character is marked where it is, rows into the line.
    ASSERT_EQ(w->mergeBlocks().size(), 1u);
    w->selectBlock(0);
    settleSelection(*w);
    const QList<QTextEdit::ExtraSelection> marks = v1->extraSelections();
    ASSERT_EQ(marks.size(), 1);
    EXPECT_EQ(marks[0].cursor.selectedText(), QStringLiteral("x"));
    EXPECT_EQ(v1->foldMap().toText(marks[0].cursor.selectionStart()),
              QString::fromUtf8(page.left(middle)).size());

    // Coloured in view, as the whole line is coloured, wherever the pane is scrolled.
    ASSERT_TRUE(v1->language());
    SyntaxTextView fresh;
    fresh.setPlainText(text);
    fresh.setLanguage(v1->language());
    fresh.colorInfo().parseInRangeIfNeed(Range{0, text.size()});
    for (qint64 row : {0, 17, 41}) {
        v1->scrollToLine(0, row);
        EXPECT_TRUE(QTest::qWaitFor([&] { return v1->isVisibleTextColoured(); }, 20000));
        const QTextBlock block = v1->document()->findBlockByNumber(int(row));
        int coloured = 0;
        for (int i = 0; i < block.length() - 1; ++i) {
            const qint64 at = v1->foldMap().toText(block.position() + i);
            ASSERT_EQ(v1->paintedColorIndexAt(at), fresh.paintedColorIndexAt(at)) << "at " << at;
            coloured += fresh.paintedColorIndexAt(at) >= 0;
        }
        EXPECT_GT(coloured, 0) << "row " << row;
    }

    // Copied across rows: the text, without the rows' edges.
    QTextCursor cursor(v1->document());
    cursor.setPosition(int(v1->foldMap().toDocument(1'500)));
    cursor.setPosition(int(v1->foldMap().toDocument(4'700)), QTextCursor::KeepAnchor);
    v1->setTextCursor(cursor);
    v1->copy();
    EXPECT_EQ(QApplication::clipboard()->text(), text.mid(1'500, 3'200));

    // Typed at the start of a row, then saved: the file's bytes with its CRLF line ends.
    const QTextBlock row9 = v1->document()->findBlockByNumber(9);
    ASSERT_TRUE(IsFoldRow(row9));
    const qint64 typedAt = v1->foldMap().toText(row9.position());
    cursor.setPosition(row9.position());
    v1->setTextCursor(cursor);
    v1->setFocus();
    QTest::keyClicks(v1, QStringLiteral("Q"));
    QByteArray expected = page + tail;
    expected.insert(text.left(typedAt).toUtf8().size(), 'Q');
    ASSERT_TRUE(w->SaveSide(1));
    QFile saved(l);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll() == expected);
}
