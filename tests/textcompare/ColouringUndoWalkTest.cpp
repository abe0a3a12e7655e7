// A seeded walk through the text window over real source files of several languages
// (data/colouring): the panes are edited through their own keys (typing, Backspace, Delete,
// paste, cut, with the language's comment and string openers and closers far more often than
// other text), blocks are taken from one side to the other, the window's undo and redo run in any
// order, and the panes are scrolled line by line below the edits. After every step each
// character in view, and what the pane records as coloured below it, has the colour of a fresh
// colouring of the whole text.
//
// PELKO_SEED changes the walk and PELKO_WALK_STEPS its length (steps, not time).
#include "TextCompareFixture.h"

#include "foundation/CoverInfor.h"
#include "themes/LanguageColorInfo.h"
#include "themes/LanguageColorInfoDelegate.h"
#include "themes/LanguageList.h"
#include "themes/MyLanguageInfo.h"
#include "themes/SyntaxColorRuns.h"
#include "themes/ThemeColor.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <cstdio>

namespace {

// Steps in one window before the walk goes on in a new one (on the next file).
constexpr int kStepsPerWindow = 50;
// How far below the view the pane's recorded colours are checked.
constexpr qint64 kCheckedBelowView = 4000;

const char *const kFiles[] = {"cJSON.c",       "map.go",     "output.go", "underscore.js",
                              "template.html", "strings.py", "install.sh"};

int envOr(const char *name, int fallback)
{
    return qEnvironmentVariableIsSet(name) ? qEnvironmentVariableIntValue(name) : fallback;
}

QByteArray dataFile(const char *name)
{
    QFile f(pelkotest::sourceDir() + QStringLiteral("/tests/textcompare/data/colouring/") +
            QString::fromLatin1(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The other side of a pair: lines left out and lines changed here and there, so that there are
// blocks to take.
QByteArray otherSide(const QByteArray &text)
{
    const QList<QByteArray> lines = text.split('\n');
    QByteArray out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i % 31 == 7)
            continue;
        out += lines[i];
        if (i % 43 == 11)
            out += " changed";
        if (i + 1 < lines.size())
            out += '\n';
    }
    return out;
}

// The whole text coloured from scratch by the same colourer, on a document of its own.
class FreshColouring : public LanguageColorInfoDelegate
{
public:
    FreshColouring(const QString &text, const std::shared_ptr<MyLanguageInfo> &language)
        : mRuns(&mDocument)
    {
        mDocument.setPlainText(text);
        mInfo.setLanguage(language);
        mInfo.setDelegate(this);
        const Range all{0, mDocument.characterCount() - 1};
        for (int i = 0; i < 1000 && all.length > 0 &&
                        mInfo.doneRanges().indexThatContainsRange(all) == NotFound;
             ++i)
            mInfo.parseInRangeIfNeed(all);
    }
    void setTextInRange(Range range, int colorIndex) override { mRuns.paint(range, colorIndex); }
    void setCommentColorForTextInRange(Range range) override
    {
        mRuns.paint(range, SYNTAX_COLOR_COMMENT);
    }
    QTextDocument *getMyTextStorage() override { return &mDocument; }
    int paintedColorIndexAt(qint64 position) override { return mRuns.colorIndexAt(position); }

private:
    QTextDocument mDocument;
    SyntaxColorRuns mRuns;
    LanguageColorInfo mInfo;
};

// The colour a character is shown in by its block's layout; invalid for the default.
QColor shownColour(const QTextBlock &block, int offset)
{
    for (const QTextLayout::FormatRange &r : block.layout()->formats())
        if (offset >= r.start && offset < r.start + r.length)
            return r.format.foreground().color();
    return QColor();
}

// The part of the text a pane colours when it shows what it shows now.
Range visibleRange(MyEditTextView &pane)
{
    const QTextBlock first = pane.document()->findBlockByNumber(int(pane.firstVisibleLine()));
    const QTextBlock last = pane.document()->findBlockByNumber(int(pane.lastVisibleLine()));
    if (!first.isValid() || !last.isValid())
        return Range{0, 0};
    const qint64 end = last.position() + last.length() - 1;
    return Range{first.position(), std::max<qint64>(0, end - first.position())};
}

// Each pane has coloured what it shows.
bool coloured(MergeEditWndCtr &w)
{
    for (int side : {1, 2}) {
        MyEditTextView *view = w.textView(side);
        const Range visible = visibleRange(*view);
        if (view->document()->isEmpty() || visible.length == 0)
            continue;
        if (view->colorInfo().doneRanges().indexThatContainsRange(visible) == NotFound)
            return false;
    }
    return true;
}

// Runs the event loop until the condition holds, woken by each event rather than polling; false
// when it still does not hold after 20 s.
template <class Condition> bool runUntil(Condition condition)
{
    QTimer limit;
    limit.setSingleShot(true);
    limit.start(20000);
    while (!condition()) {
        if (!limit.isActive())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Runs what was queued before now (calls and zero timers run in the order they were queued),
// and what that queued in its turn.
void runQueuedCalls()
{
    for (int round = 0; round < 2; ++round) {
        bool reached = false;
        QTimer::singleShot(0, [&reached] { reached = true; });
        runUntil([&] { return reached; });
    }
}

// Lets the window finish the step as it does on its own: what it compares and selects is done,
// and the calls it queued have run (a pane colours what came into view, and applies colours
// recorded earlier, in a queued call).
bool finishStep(MergeEditWndCtr &w)
{
    runQueuedCalls();
    const bool settled = runUntil([&] {
        return !w.isLoading() && !w.isComparing() && !w.isBlockSelectionPending() && coloured(w);
    });
    runQueuedCalls();
    return settled && runUntil([&] { return coloured(w); });
}

class ColouringUndoWalkTest : public TextCompareTest
{
protected:
    // The window picks each file's language by its suffix from the application's list.
    void SetUp() override
    {
        TextCompareTest::SetUp();
        mLanguagesBefore = gAppLanguageInfoList;
        gAppLanguageInfoList.clear();
        for (const char *name : {"C", "Go", "HTML", "JavaScript", "Python", "Shell"}) {
            auto language = MyLanguageInfo::createFromFile(
                pelkotest::sourceDir() + QStringLiteral("/resources/languages/") +
                    QString::fromLatin1(name) + QStringLiteral(".esy"),
                false);
            ASSERT_TRUE(language) << name;
            gAppLanguageInfoList << language;
        }
    }
    void TearDown() override { gAppLanguageInfoList = mLanguagesBefore; }

    struct Pane
    {
        MyEditTextView *view;
        QString freshText;
        std::unique_ptr<FreshColouring> fresh;
    };

    // Every non-blank character in view has the kind and the colour of a fresh colouring, and so
    // has every one the pane records as coloured in the stretch below the view.
    static ::testing::AssertionResult showsFreshColours(Pane &pane)
    {
        MyEditTextView &view = *pane.view;
        const QString text = view.plainText();
        if (!pane.fresh || text != pane.freshText) {
            pane.fresh = std::make_unique<FreshColouring>(text, view.language());
            pane.freshText = text;
        }
        FreshColouring &fresh = *pane.fresh;
        QTextDocument *doc = view.document();
        const QTextBlock end = doc->findBlockByNumber(int(view.lastVisibleLine())).next();
        for (QTextBlock b = doc->findBlockByNumber(int(view.firstVisibleLine()));
             b.isValid() && b != end; b = b.next()) {
            const QString line = b.text();
            for (int i = 0; i < line.size(); ++i) {
                if (line.at(i).isSpace())
                    continue;
                const qint64 pos = b.position() + i;
                const int want = fresh.paintedColorIndexAt(pos);
                const int got = view.paintedColorIndexAt(pos);
                const QColor wantColour =
                    want == -1 ? QColor() : GetApp_Color_Text_Default_WithIndex(want).toQColor();
                if (got != want || shownColour(b, i) != wantColour)
                    return ::testing::AssertionFailure()
                           << "in view, line " << b.blockNumber() + 1 << " column " << i + 1
                           << ": kind " << got << " instead of " << want << ", shown in "
                           << shownColour(b, i).name().toStdString() << " instead of "
                           << wantColour.name().toStdString() << " in \"" << line.toStdString()
                           << "\"";
            }
        }
        const CoverInfor &done = view.colorInfo().doneRanges();
        if (done.length() == 0)
            return ::testing::AssertionSuccess();
        const qint64 below = MaxRange(visibleRange(view));
        const qint64 until = std::min<qint64>(MaxRange(done.ranges().front()),
                                              std::min(below + kCheckedBelowView, text.size()));
        for (qint64 pos = below; pos < until; ++pos) {
            if (text.at(pos).isSpace())
                continue;
            const int want = fresh.paintedColorIndexAt(pos);
            const int got = view.paintedColorIndexAt(pos);
            if (got != want) {
                const QTextBlock b = doc->findBlock(int(pos));
                return ::testing::AssertionFailure()
                       << "recorded as coloured below the view, line " << b.blockNumber() + 1
                       << " column " << pos - b.position() + 1 << ": kind " << got << " instead of "
                       << want << " in \"" << b.text().toStdString() << "\"";
            }
        }
        return ::testing::AssertionSuccess();
    }

    QList<std::shared_ptr<MyLanguageInfo>> mLanguagesBefore;
};

// The pieces typed and pasted: the language's markers far more often than anything else.
struct Pieces
{
    QStringList markers, other;

    explicit Pieces(const MyLanguageInfo &language)
    {
        for (const char16_t *marker : {language.CommentBegin_c(), language.CommentEnd_c(),
                                       language.LineComment1_c(), language.LineComment2_c()})
            if (marker && marker[0])
                markers << QString::fromUtf16(marker);
        markers += QStringList{"\"", "'", "\\", "`", "\"\"\""};
        if (!language.BeginTag().isEmpty())
            markers += QStringList{language.BeginTag(), language.EndTag(), "<p ", "</"};
        if (!language.ScriptBegin().isEmpty())
            markers << language.ScriptBegin() + ">" << language.ScriptEnd() + ">";
        other = {"\n", "x", "int ", " ", "foo bar", "42", ";", "{", "}", "\n\n", "return "};
    }
    QString pick(QRandomGenerator &random) const
    {
        const QStringList &from = random.bounded(10) < 8 ? markers : other;
        return from[int(random.bounded(qsizetype(from.size())))];
    }
};

// One step of the walk on the window; says what it did.
class Walker
{
public:
    Walker(MergeEditWndCtr &w, QRandomGenerator &random, const Pieces &pieces)
        : mWindow(w), mRandom(random), mPieces(pieces)
    {}

    // What was done; the panes are checked after each scrolled line through `check`.
    QString step(const std::function<::testing::AssertionResult()> &check,
                 ::testing::AssertionResult *result)
    {
        MyEditTextView *pane = mWindow.textView(1 + int(mRandom.bounded(2)));
        const QString side =
            pane == mWindow.textView(1) ? QStringLiteral("left: ") : QStringLiteral("right: ");
        pane->setFocus();
        const int kind = int(mRandom.bounded(100));
        if (kind < 30)
            return side + type(pane);
        if (kind < 40)
            return side + backspace(pane);
        if (kind < 48)
            return side + deleteForward(pane);
        if (kind < 55)
            return side + paste(pane);
        if (kind < 61)
            return side + cut(pane);
        if (kind < 67)
            return side + takeBlock(pane);
        if (kind < 77)
            return side + undoOrRedo(pane, false);
        if (kind < 84)
            return side + undoOrRedo(pane, true);
        if (kind < 97)
            return side + scrollDown(pane, check, result);
        return side + jump(pane);
    }

private:
    // Puts the cursor somewhere: mostly in view, sometimes anywhere in the text.
    qint64 placeCursor(MyEditTextView *pane)
    {
        QTextDocument *doc = pane->document();
        const qint64 length = doc->characterCount() - 1;
        qint64 at;
        if (mRandom.bounded(3) == 0) {
            at = qint64(mRandom.bounded(quint64(length + 1)));
        } else {
            const Range visible = visibleRange(*pane);
            at = visible.location + qint64(mRandom.bounded(quint64(visible.length + 1)));
        }
        at = std::clamp<qint64>(at, 0, length);
        QTextCursor cursor(doc);
        cursor.setPosition(int(at));
        pane->setTextCursor(cursor);
        pane->ensureCursorVisible();
        return at;
    }
    static void typeText(MyEditTextView *pane, const QString &text)
    {
        for (const QChar c : text) {
            if (c == u'\n')
                QTest::keyClick(pane, Qt::Key_Return);
            else
                QTest::keyClicks(pane, QString(c));
        }
    }
    static QString shown(QString text) { return text.replace(u'\n', QStringLiteral("\\n")); }
    QString type(MyEditTextView *pane)
    {
        const qint64 at = placeCursor(pane);
        const QString piece = mPieces.pick(mRandom);
        typeText(pane, piece);
        return QStringLiteral("type \"%1\" at %2").arg(shown(piece)).arg(at);
    }
    QString backspace(MyEditTextView *pane)
    {
        const qint64 at = placeCursor(pane);
        const int n = 1 + int(mRandom.bounded(4));
        for (int i = 0; i < n; ++i)
            QTest::keyClick(pane, Qt::Key_Backspace);
        return QStringLiteral("Backspace %1 times at %2").arg(n).arg(at);
    }
    // Selects from the cursor on with Shift and arrows; says how.
    QString select(MyEditTextView *pane)
    {
        const int n = 1 + int(mRandom.bounded(6));
        const bool lines = mRandom.bounded(2) == 0;
        for (int i = 0; i < n; ++i)
            QTest::keyClick(pane, lines ? Qt::Key_Down : Qt::Key_Right, Qt::ShiftModifier);
        return QStringLiteral("%1 %2 with Shift").arg(n).arg(lines ? "lines" : "characters");
    }
    QString deleteForward(MyEditTextView *pane)
    {
        const qint64 at = placeCursor(pane);
        if (mRandom.bounded(2) == 0) {
            const QString how = select(pane);
            QTest::keyClick(pane, Qt::Key_Delete);
            return QStringLiteral("Delete %1 at %2").arg(how).arg(at);
        }
        const int n = 1 + int(mRandom.bounded(4));
        for (int i = 0; i < n; ++i)
            QTest::keyClick(pane, Qt::Key_Delete);
        return QStringLiteral("Delete %1 times at %2").arg(n).arg(at);
    }
    QString paste(MyEditTextView *pane)
    {
        QString text;
        if (mRandom.bounded(2) == 0) {
            text = mPieces.pick(mRandom);
        } else {
            const QString all = pane->plainText();
            const qint64 from = qint64(mRandom.bounded(quint64(all.size() + 1)));
            text = all.mid(from, qsizetype(mRandom.bounded(200)));
        }
        QApplication::clipboard()->setText(text);
        const qint64 at = placeCursor(pane);
        QTest::keyClick(pane, Qt::Key_V, Qt::ControlModifier);
        return QStringLiteral("paste %1 characters at %2").arg(text.size()).arg(at);
    }
    QString cut(MyEditTextView *pane)
    {
        const qint64 at = placeCursor(pane);
        const QString how = select(pane);
        QTest::keyClick(pane, Qt::Key_X, Qt::ControlModifier);
        return QStringLiteral("cut %1 at %2").arg(how).arg(at);
    }
    QString takeBlock(MyEditTextView *pane)
    {
        // The blocks of the texts as they are (a user waits for them, or presses F5).
        if (mWindow.blocksOutOfDate()) {
            QTest::keyClick(pane, Qt::Key_F5);
            EXPECT_TRUE(finishStep(mWindow));
        }
        if (mWindow.mergeBlocks().empty())
            return QStringLiteral("no block to take");
        const int moves = int(mRandom.bounded(4));
        const bool down = mRandom.bounded(2) == 0;
        for (int i = 0; i < moves; ++i)
            QTest::keyClick(pane, down ? Qt::Key_Down : Qt::Key_Up, Qt::AltModifier);
        const bool toRight = mRandom.bounded(2) == 0;
        QTest::keyClick(pane, toRight ? Qt::Key_Right : Qt::Key_Left, Qt::AltModifier);
        return QStringLiteral("%1 blocks %2, then take block %3 %4")
            .arg(moves)
            .arg(down ? "down" : "up")
            .arg(mWindow.currentBlock() + 1)
            .arg(toRight ? "to the right" : "to the left");
    }
    QString undoOrRedo(MyEditTextView *pane, bool redo)
    {
        const int n = 1 + int(mRandom.bounded(3));
        for (int i = 0; i < n; ++i) {
            QTest::keyClick(pane, Qt::Key_Z,
                            redo ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
            // Each step is shown (and its block selected) before the next.
            EXPECT_TRUE(finishStep(mWindow));
        }
        return QStringLiteral("%1 %2 times").arg(redo ? "redo" : "undo").arg(n);
    }
    QString scrollDown(MyEditTextView *pane,
                       const std::function<::testing::AssertionResult()> &check,
                       ::testing::AssertionResult *result)
    {
        QScrollBar *bar = pane->verticalScrollBar();
        const int n = 1 + int(mRandom.bounded(15));
        int done = 0;
        for (; done < n && bar->value() < bar->maximum() && *result; ++done) {
            bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            EXPECT_TRUE(finishStep(mWindow));
            *result = check();
        }
        return QStringLiteral("scroll down %1 lines one by one (to line %2)")
            .arg(done)
            .arg(pane->firstVisibleLine() + 1);
    }
    QString jump(MyEditTextView *pane)
    {
        static const std::pair<Qt::Key, const char *> keys[] = {{Qt::Key_PageDown, "Page Down"},
                                                                {Qt::Key_PageUp, "Page Up"}};
        const auto &[key, name] = keys[mRandom.bounded(2)];
        QTest::keyClick(pane, key);
        return QString::fromLatin1(name);
    }

    MergeEditWndCtr &mWindow;
    QRandomGenerator &mRandom;
    const Pieces &mPieces;
};

} // namespace

TEST_F(ColouringUndoWalkTest, PanesShowTheColoursOfAFreshColouringThroughEditsUndoAndRedo)
{
    const quint32 seed = quint32(envOr("PELKO_SEED", 3));
    const int steps = envOr("PELKO_WALK_STEPS", 350);
    QRandomGenerator random(seed);
    std::vector<std::pair<QString, QString>> pairs; // left and right file of each data file
    for (const char *name : kFiles) {
        const QByteArray text = dataFile(name);
        ASSERT_FALSE(text.isEmpty()) << name;
        pairs.emplace_back(
            write(QStringLiteral("left-") + QString::fromLatin1(name), text),
            write(QStringLiteral("right-") + QString::fromLatin1(name), otherSide(text)));
    }
    std::vector<size_t> order(pairs.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::shuffle(order.begin(), order.end(), random);

    int stepsDone = 0;
    for (int windowIndex = 0; stepsDone < steps; ++windowIndex) {
        const auto &[left, right] = pairs[order[size_t(windowIndex) % order.size()]];
        auto w = open(left, right);
        w->window()->resize(900, 520);
        w->window()->show();
        w->window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w->window()));
        ASSERT_TRUE(finishStep(*w));
        Pane panes[2] = {{w->textView(1), {}, {}}, {w->textView(2), {}, {}}};
        ASSERT_TRUE(panes[0].view->language()) << left.toStdString();
        const Pieces pieces(*panes[0].view->language());
        const auto check = [&]() -> ::testing::AssertionResult {
            for (Pane &pane : panes) {
                const auto shown = showsFreshColours(pane);
                if (!shown)
                    return ::testing::AssertionFailure()
                           << (pane.view == w->textView(1) ? "left pane " : "right pane ")
                           << shown.message();
            }
            return ::testing::AssertionSuccess();
        };
        ASSERT_TRUE(check()) << QFileInfo(left).fileName().toStdString() << " as opened";
        Walker walker(*w, random, pieces);
        QStringList log;
        for (int i = 0; i < kStepsPerWindow && stepsDone < steps; ++i, ++stepsDone) {
            ::testing::AssertionResult result = ::testing::AssertionSuccess();
            log << walker.step(check, &result);
            if (result) {
                EXPECT_TRUE(finishStep(*w));
                result = check();
            }
            ASSERT_TRUE(result) << "seed " << seed << ", "
                                << QFileInfo(left).fileName().toStdString() << ", step "
                                << stepsDone + 1 << ", after:\n  "
                                << log.join(QStringLiteral("\n  ")).toStdString();
        }
    }
    std::printf("  seed %u: %d steps checked\n", seed, stepsDone);
}
