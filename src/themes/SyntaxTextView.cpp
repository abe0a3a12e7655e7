#include "themes/SyntaxTextView.h"
#include "themes/TextCaret.h"

#include "foundation/CoverInfor.h"
#include "platform/Guard.h"
#include "themes/ThemeColor.h"

#include <QScrollBar>
#include <QPainter>
#include <QTextBlock>

namespace {
// Large texts wait a moment so that a burst of edits or scrolls colours once.
constexpr int kLargeTextCharacters = 1048576;
constexpr int kLargeTextDelayMs = 30;
} // namespace

SyntaxTextView::SyntaxTextView(QWidget *parent)
    : QPlainTextEdit(parent), mColorInfo(LanguageColorInfo::create())
{
    mColorInfo->setDelegate(this);
    mRuns = new SyntaxColorRuns(document(), this);
    mCaret = new TextCaret(this);
    mColorTimer.setSingleShot(true);
    connect(&mColorTimer, &QTimer::timeout, this, [this] {
        GUARD_BEGIN
        colorVisibleText();
        GUARD_END_VOID
    });
    connect(document(), &QTextDocument::contentsChange, this, &SyntaxTextView::onContentsChange);
    applyTheme();
}

SyntaxTextView::~SyntaxTextView()
{
    // The caret follows cursor moves, and taking the document down moves the cursor.
    delete mCaret;
    mColorTimer.stop();
    mColorInfo->setDelegate(nullptr);
}

void SyntaxTextView::setLanguage(const std::shared_ptr<MyLanguageInfo> &language)
{
    mColorInfo->setLanguage(language);
    mColorInfo->resetAll();
    mRuns->clearAll();
    mRuns->applyFormats(0, document()->characterCount());
    scheduleColoring();
}

std::shared_ptr<MyLanguageInfo> SyntaxTextView::language() const
{
    return mColorInfo->language();
}

Range SyntaxTextView::visibleCharacterRange() const
{
    QTextBlock block = firstVisibleBlock();
    if (!block.isValid())
        return Range{0, 0};
    const qint64 start = block.position();
    const QPointF offset = contentOffset();
    const qreal bottom = viewport()->height();
    QTextBlock last = block;
    for (; block.isValid(); block = block.next()) {
        if (blockBoundingGeometry(block).translated(offset).top() > bottom)
            break;
        last = block;
    }
    const qint64 textLength = std::max(0, document()->characterCount() - 1);
    const qint64 end = std::min<qint64>(last.position() + last.length() - 1, textLength);
    return Range{start, std::max<qint64>(0, end - start)};
}

void SyntaxTextView::colorVisibleText()
{
    if (!mColorInfo->language())
        return;
    const Range visible = visibleCharacterRange();
    if (visible.length <= 0)
        return;
    const bool progress = mColorInfo->parseInRangeIfNeed(visible);
    mRuns->applyFormats(visible.location, MaxRange(visible));
    // More to do only when this pass got somewhere (a time limit); a pass that recorded nothing
    // would only fail again.
    if (progress && mColorInfo->doneRanges().indexThatContainsRange(visible) == NotFound)
        scheduleColoring();
}

void SyntaxTextView::applyTheme()
{
    SetTextViewColorMode(this);
    mRuns->themeChanged();
    const Range visible = visibleCharacterRange();
    mRuns->applyFormats(visible.location, MaxRange(visible));
}

void SyntaxTextView::setTextInRange(Range range, int colorIndex)
{
    mRuns->paint(range, colorIndex);
}

void SyntaxTextView::setCommentColorForTextInRange(Range range)
{
    mRuns->paint(range, SYNTAX_COLOR_COMMENT);
}

QTextDocument *SyntaxTextView::getMyTextStorage()
{
    return document();
}

int SyntaxTextView::paintedColorIndexAt(qint64 position)
{
    return mRuns->colorIndexAt(position);
}

void SyntaxTextView::paintEvent(QPaintEvent *event)
{
    QPlainTextEdit::paintEvent(event);
    QPainter painter(viewport());
    mCaret->paint(painter);
}

void SyntaxTextView::showEvent(QShowEvent *event)
{
    QPlainTextEdit::showEvent(event);
    // The first screen is coloured at once, whatever the size of the text.
    if (mColorInfo->language()) {
        mColorTimer.stop();
        mColorTimer.start(0);
    }
}

void SyntaxTextView::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    scheduleColoring();
}

void SyntaxTextView::scrollContentsBy(int dx, int dy)
{
    QPlainTextEdit::scrollContentsBy(dx, dy);
    scheduleColoring();
}

void SyntaxTextView::scheduleColoring()
{
    if (!mColorInfo->language() || mColorTimer.isActive())
        return;
    mColorTimer.start(document()->characterCount() < kLargeTextCharacters ? 0 : kLargeTextDelayMs);
}

void SyntaxTextView::onContentsChange(int position, int removed, int added)
{
    GUARD_BEGIN
    if (mRuns->isApplying())
        return;
    mRuns->documentEdited(position, removed, added);
    mColorInfo->documentContentsChanged(position, removed, added);
    scheduleColoring();
    GUARD_END_VOID
}
