// The colours a compare pane shows after any edits, undos and redos are the colours of the same
// text coloured afresh: a seeded random walk over real files of each shipped language.
//
// PELKO_COLOURING_FILES (files per language) and PELKO_COLOURING_SEQUENCES (edit sequences per
// file) make the walk longer; PELKO_SEED changes it. The full walk, 200 files with 20 sequences
// each, is PELKO_COLOURING_FILES=50 PELKO_COLOURING_SEQUENCES=20 (about 13 minutes with the
// sanitizers, so not part of every run).
#include "textcompare/MyEditTextView.h"

#include "foundation/CoverInfor.h"
#include "platform/UserDefaults.h"
#include "support/TestEnvironment.h"
#include "themes/MyLanguageInfo.h"
#include "themes/SyntaxTextView.h"
#include "themes/ThemeColor.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

constexpr qsizetype kMaxCharacters = 12000;
constexpr int kStepsPerSequence = 10;

int envOr(const char *name, int fallback)
{
    return qEnvironmentVariableIsSet(name) ? qEnvironmentVariableIntValue(name) : fallback;
}

struct LanguageFiles
{
    const char *definition; // in resources/languages
    QStringList roots;
    QStringList suffixes; // empty: files whose first line runs a shell
};

bool isShellScript(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray first = f.readLine(200);
    return first.startsWith("#!") && (first.contains("/sh") || first.contains("bash"));
}

// The language's files on this machine, sorted, so a seed always picks the same ones.
QStringList filesOf(const LanguageFiles &lf)
{
    QStringList out;
    for (const QString &root : lf.roots) {
        QDirIterator it(root, QDir::Files | QDir::Readable,
                        lf.suffixes.isEmpty() ? QDirIterator::NoIteratorFlags
                                              : QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QFileInfo fi(path);
            if (fi.isSymLink() || fi.size() < 200 || fi.size() > 400000)
                continue;
            if (lf.suffixes.isEmpty() ? isShellScript(path)
                                      : lf.suffixes.contains(fi.suffix(), Qt::CaseInsensitive))
                out << path;
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

QString textOf(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(f.read(kMaxCharacters * 2));
    if (text.size() > kMaxCharacters)
        text.truncate(text.lastIndexOf(u'\n', kMaxCharacters) + 1);
    return text;
}

class ColouringPropertyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::UserDefaults::standard().setFilePath(pelkotest::freshDir() + "/d.plist");
        ResetCurrentThemeCache();
    }

    static void settle(MyEditTextView &pane)
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        // Until the shown part is coloured (a pass is bounded in length and time).
        for (int i = 0; i < 200; ++i) {
            pane.colorVisibleText();
            QCoreApplication::processEvents();
            const QTextBlock first =
                pane.document()->findBlockByNumber(int(pane.firstVisibleLine()));
            const QTextBlock last = pane.document()->findBlockByNumber(int(pane.lastVisibleLine()));
            if (!first.isValid() || !last.isValid())
                return;
            if (pane.colorInfo().doneRanges().indexThatContainsRange(Range{
                    first.position(), last.position() + last.length() - 1 - first.position()}) !=
                NotFound)
                return;
        }
    }

    // The colour a character is shown in by the block's layout; invalid for the default.
    static QColor shownColour(const QTextBlock &block, int offset)
    {
        for (const QTextLayout::FormatRange &r : block.layout()->formats())
            if (offset >= r.start && offset < r.start + r.length)
                return r.format.foreground().color();
        return QColor();
    }

    // Every non-blank character of the shown lines has the kind and colour of a fresh colouring.
    static ::testing::AssertionResult showsFreshColours(MyEditTextView &pane, SyntaxTextView &fresh)
    {
        fresh.setPlainText(pane.plainText());
        fresh.setLanguage(pane.language());
        const qint64 length = fresh.document()->characterCount() - 1;
        for (int i = 0; i < 1000 && fresh.colorInfo().doneRanges().indexThatContainsRange(
                                        Range{0, length}) == NotFound;
             ++i)
            fresh.colorInfo().parseInRangeIfNeed(Range{0, length});
        const QTextBlock end =
            pane.document()->findBlockByNumber(int(pane.lastVisibleLine())).next();
        for (QTextBlock b = pane.document()->findBlockByNumber(int(pane.firstVisibleLine()));
             b.isValid() && b != end; b = b.next()) {
            const QString text = b.text();
            // A long line is given its colours where it is in view: the colours shown are
            // compared there, the kinds everywhere.
            const QTextLine line =
                b.layout()->lineCount() == 1 ? b.layout()->lineAt(0) : QTextLine();
            const qreal left = pane.horizontalScrollBar()->value() - b.layout()->position().x();
            const auto inView = [&](int i) {
                if (!line.isValid() || pane.lineWrapMode() != QPlainTextEdit::NoWrap)
                    return true;
                const qreal x = line.cursorToX(i);
                return x + 30 >= left && x <= left + pane.viewport()->width();
            };
            for (int i = 0; i < text.size(); ++i) {
                if (text.at(i).isSpace())
                    continue;
                const qint64 pos = b.position() + i;
                const int want = fresh.paintedColorIndexAt(pos);
                const int got = pane.paintedColorIndexAt(pos);
                const QColor wantColour =
                    want == -1 ? QColor() : GetApp_Color_Text_Default_WithIndex(want).toQColor();
                if (got != want || (inView(i) && shownColour(b, i) != wantColour))
                    return ::testing::AssertionFailure()
                           << "line " << b.blockNumber() + 1 << " column " << i + 1 << ": kind "
                           << got << " instead of " << want << " in line \"" << text.toStdString()
                           << "\"";
            }
        }
        return ::testing::AssertionSuccess();
    }
};

// One random edit: typing, deleting, pasting, undo or redo, then a scroll.
QString randomEdit(MyEditTextView &pane, QRandomGenerator &random, const QStringList &pieces)
{
    QTextDocument *doc = pane.document();
    const int length = doc->characterCount() - 1;
    const int at = int(random.bounded(length + 1));
    QTextCursor cursor(doc);
    QString what;
    switch (random.bounded(7)) {
    case 0:
    case 1: {
        const QString piece = pieces[int(random.bounded(qsizetype(pieces.size())))];
        cursor.setPosition(at);
        cursor.insertText(piece);
        what = QStringLiteral("type \"%1\" at %2").arg(piece).arg(at);
        break;
    }
    case 2: {
        const int to = std::min(length, at + 1 + int(random.bounded(40)));
        cursor.setPosition(at);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        what = QStringLiteral("delete %1..%2").arg(at).arg(to);
        break;
    }
    case 3: {
        const int from = int(random.bounded(length + 1));
        const int to = std::min(length, from + int(random.bounded(300)));
        const QString chunk = pane.plainText().mid(from, to - from);
        cursor.setPosition(at);
        cursor.insertText(chunk);
        what = QStringLiteral("paste %1 characters at %2").arg(chunk.size()).arg(at);
        break;
    }
    case 4:
        cursor.setPosition(at);
        cursor.select(QTextCursor::BlockUnderCursor);
        cursor.removeSelectedText();
        what = QStringLiteral("delete the line at %1").arg(at);
        break;
    case 5:
        doc->undo();
        what = QStringLiteral("undo");
        break;
    default:
        doc->redo();
        what = QStringLiteral("redo");
        break;
    }
    QScrollBar *bar = pane.verticalScrollBar();
    switch (random.bounded(4)) {
    case 0:
        bar->setValue(bar->maximum());
        what += QStringLiteral(", to the end");
        break;
    case 1:
        bar->setValue(int(random.bounded(bar->maximum() + 1)));
        what += QStringLiteral(", scrolled");
        break;
    default: {
        QTextCursor c(doc);
        c.setPosition(std::min(at, doc->characterCount() - 1));
        pane.setTextCursor(c);
        pane.ensureCursorVisible();
        break;
    }
    }
    return what;
}

} // namespace

TEST_F(ColouringPropertyTest, EditedPanesShowTheColoursOfAFreshColouring)
{
    const QString usr = QStringLiteral("/usr");
    const LanguageFiles languages[] = {
        {"C.esy", {usr + "/include"}, {"h"}},
        {"Python.esy", {usr + "/lib/python3", usr + "/lib/python3.11"}, {"py"}},
        {"HTML.esy", {usr + "/share/doc"}, {"html", "htm"}},
        {"Shell.esy", {usr + "/bin", usr + "/sbin"}, {}},
    };
    const int filesPerLanguage = envOr("PELKO_COLOURING_FILES", 3);
    const int sequences = envOr("PELKO_COLOURING_SEQUENCES", 2);
    QRandomGenerator random(quint32(envOr("PELKO_SEED", 20261207)));
    MyEditTextView pane;
    pane.resize(700, 500);
    pane.show();
    SyntaxTextView fresh;
    int filesTried = 0, stepsChecked = 0;
    for (const LanguageFiles &lf : languages) {
        const QString definition = pelkotest::sourceDir() +
                                   QStringLiteral("/resources/languages/") +
                                   QString::fromLatin1(lf.definition);
        auto language = MyLanguageInfo::createFromFile(definition, false);
        ASSERT_TRUE(language) << lf.definition;
        QStringList pieces = {"\"",   "'",   "\n",       "x",         "int ", "\\", " ",  "`", "#",
                              "<!--", "-->", "<script>", "</script>", "<p>",  ">",  "$(", "{", "}"};
        for (const char16_t *marker : {language->CommentBegin_c(), language->CommentEnd_c(),
                                       language->LineComment1_c(), language->LineComment2_c()})
            if (marker && marker[0])
                pieces << QString::fromUtf16(marker);
        QStringList files = filesOf(lf);
        // A fixed, seeded choice spread over the whole list.
        std::shuffle(files.begin(), files.end(), random);
        files = files.mid(0, filesPerLanguage);
        for (const QString &path : files) {
            const QString original = textOf(path);
            if (original.isEmpty())
                continue;
            ++filesTried;
            for (int sequence = 0; sequence < sequences; ++sequence) {
                pane.loadText(original);
                pane.setLanguage(language);
                pane.verticalScrollBar()->setValue(0);
                settle(pane);
                QStringList steps;
                for (int step = 0; step < kStepsPerSequence; ++step) {
                    steps << randomEdit(pane, random, pieces);
                    settle(pane);
                    ++stepsChecked;
                    const auto shown = showsFreshColours(pane, fresh);
                    ASSERT_TRUE(shown) << path.toStdString() << " after:\n  "
                                       << steps.join(QStringLiteral("\n  ")).toStdString();
                }
            }
        }
    }
    std::printf("  %d files, %d edits checked\n", filesTried, stepsChecked);
    EXPECT_GT(filesTried, 0);
}
