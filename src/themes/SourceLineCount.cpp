#include "themes/SourceLineCount.h"

#include "foundation/PelkoNSMutableArray.h"
#include "platform/Guard.h"
#include "platform/Range.h"
#include "themes/MyLanguageInfo.h"

namespace {

bool isLineBreak(char16_t c)
{
    return c == u'\n' || c == u'\f' || c == u'\r' || c == 0x2028 || c == 0x2029;
}

bool isBlank(char16_t c)
{
    return c == u'\t' || c == u' ' || c == 0x3000;
}

bool isAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
}

// A marker as the scanner uses it: empty when the language has none.
std::u16string_view markerOf(const char16_t *marker)
{
    return marker ? std::u16string_view(marker) : std::u16string_view();
}

bool markerAt(const char16_t *text, qint64 length, qint64 at, std::u16string_view marker,
              bool ignoreCase)
{
    if (marker.empty() || qint64(marker.size()) > length - at)
        return false;
    for (size_t k = 0; k < marker.size(); ++k) {
        const char16_t a = text[at + qint64(k)];
        const char16_t b = marker[k];
        if (ignoreCase ? asciiLower(a) != asciiLower(b) : a != b)
            return false;
    }
    return true;
}

struct Markers
{
    std::u16string_view blockBegin, blockEnd, line1, line2;
    bool lineIgnoreCase = false;
};

Markers markersOf(const MyLanguageInfo &language, bool removeComments)
{
    Markers m;
    if (!removeComments)
        return m;
    m.blockBegin = markerOf(language.CommentBegin_c());
    m.blockEnd = markerOf(language.CommentEnd_c());
    if (m.blockBegin.empty() || m.blockEnd.empty())
        m.blockBegin = m.blockEnd = {};
    m.line1 = markerOf(language.LineComment1_c());
    m.line2 = markerOf(language.LineComment2_c());
    m.lineIgnoreCase = (!m.line1.empty() && isAsciiLetter(m.line1[0])) ||
                       (!m.line2.empty() && isAsciiLetter(m.line2[0]));
    return m;
}

void countLinesAndBlanks(const char16_t *text, qint64 length, qint64 *total, qint64 *blank)
{
    qint64 lines = 1;
    qint64 blanks = 0;
    bool lineIsBlank = true;
    for (qint64 i = 0; i < length; ++i) {
        const char16_t c = text[i];
        if (isLineBreak(c)) {
            ++lines;
            blanks += lineIsBlank ? 1 : 0;
            lineIsBlank = true;
        } else if (!isBlank(c)) {
            lineIsBlank = false;
        }
    }
    blanks += lineIsBlank ? 1 : 0; // the last line, also the empty one after a final break
    *total = lines;
    *blank = blanks;
}

qint64 countNonEmptyLines(const QString &text)
{
    qint64 count = 0;
    bool hasContent = false;
    for (const QChar ch : text) {
        if (isLineBreak(ch.unicode())) {
            count += hasContent ? 1 : 0;
            hasContent = false;
        } else {
            hasContent = true;
        }
    }
    return count + (hasContent ? 1 : 0);
}

// One pass over the text; comments go, strings are walked whole so that a comment marker inside
// one is not taken for a comment.
class Scanner
{
public:
    Scanner(const MyLanguageInfo &language, const QString &text, const Markers &markers,
            bool removeStrings, bool removeBlanks, QVariantList *ranges)
        : mText(reinterpret_cast<const char16_t *>(text.utf16())), mLength(text.size()),
          mMarkers(markers), mEscape(language.Escape_c()), mContinueQuote(language.ContinueQuote()),
          mRemoveStrings(removeStrings), mRemoveBlanks(removeBlanks), mRanges(ranges)
    {
        mOut.reserve(mLength);
    }

    void run()
    {
        qint64 i = 0;
        while (i < mLength) {
            const char16_t c = mText[i];
            if (lineMarkerAt(i))
                i = lineComment(i);
            else if (markerAt(mText, mLength, i, mMarkers.blockBegin, false))
                i = blockComment(i);
            else if (c == u'\'' || c == u'"')
                i = quoted(i);
            else {
                if (!(mRemoveBlanks && isBlank(c)))
                    mOut.append(QChar(c));
                ++i;
            }
        }
    }

    QString output() const { return mOut; }
    qint64 commentLines() const { return mCommentLines; }

private:
    bool lineMarkerAt(qint64 i) const
    {
        return markerAt(mText, mLength, i, mMarkers.line1, mMarkers.lineIgnoreCase) ||
               markerAt(mText, mLength, i, mMarkers.line2, mMarkers.lineIgnoreCase);
    }

    void addRange(qint64 from, qint64 to)
    {
        if (mRanges)
            ::addRange(*mRanges, Range{from, to - from});
    }

    qint64 lineComment(qint64 start)
    {
        qint64 end = start;
        while (end < mLength && !isLineBreak(mText[end]))
            ++end;
        ++mCommentLines;
        addRange(start, end);
        return end; // the line break stays
    }

    qint64 blockComment(qint64 start)
    {
        ++mCommentLines;
        const qint64 endLength = qint64(mMarkers.blockEnd.size());
        bool brokeLine = false;
        qint64 i = start + qint64(mMarkers.blockBegin.size());
        qint64 resume = mLength;
        for (; i < mLength; ++i) {
            if (markerAt(mText, mLength, i, mMarkers.blockEnd, false)) {
                resume = i + endLength;
                break;
            }
            if (isLineBreak(mText[i])) {
                ++mCommentLines;
                brokeLine = true;
            }
        }
        if (i >= mLength)
            ++mCommentLines; // unterminated: runs to the end of the text
        if (brokeLine)
            mOut.append(QLatin1Char('\n'));
        addRange(start, resume);
        return resume;
    }

    qint64 quoted(qint64 start)
    {
        const char16_t quote = mText[start];
        mOut.append(QChar(quote));
        qint64 i = start + 1;
        while (i < mLength) {
            const char16_t c = mText[i];
            if (mEscape != 0 && c == mEscape) {
                if (!mRemoveStrings) {
                    mOut.append(QChar(c));
                    if (i + 1 < mLength)
                        mOut.append(QChar(mText[i + 1]));
                }
                i += (i + 1 < mLength) ? 2 : 1;
                continue;
            }
            ++i;
            if (c == quote) {
                mOut.append(QChar(c));
                break;
            }
            if (isLineBreak(c)) {
                mOut.append(QChar(c));
                if (!mContinueQuote)
                    break;
                continue;
            }
            if (!mRemoveStrings)
                mOut.append(QChar(c));
        }
        return i;
    }

    const char16_t *mText;
    qint64 mLength;
    Markers mMarkers;
    char16_t mEscape;
    bool mContinueQuote;
    bool mRemoveStrings;
    bool mRemoveBlanks;
    QVariantList *mRanges;
    QString mOut;
    qint64 mCommentLines = 0;
};

} // namespace

bool SrcCount_RemoveComment_AndString(const MyLanguageInfo *language, const QString &text,
                                      bool removeComments, bool removeStrings, bool removeBlanks,
                                      qint64 *outTotalLines, qint64 *outCommentLines,
                                      qint64 *outCodeLines, qint64 *outBlankLines, QString *outText,
                                      QVariantList *outCommentRanges)
{
    GUARD_BEGIN
    if (!language || (!removeComments && !removeStrings && !removeBlanks)) {
        REPORT_FATAL();
        return false;
    }
    if (!removeComments && outCommentRanges)
        REPORT_FATAL(); // there are no comment ranges to give; the counting goes on
    for (qint64 *out : {outTotalLines, outCommentLines, outCodeLines, outBlankLines})
        if (out)
            *out = 0;
    if (outText)
        *outText = text.isNull() ? QString(QLatin1String("")) : text;
    if (text.isEmpty())
        return true;

    const auto *units = reinterpret_cast<const char16_t *>(text.utf16());
    if (outTotalLines || outBlankLines) {
        qint64 total = 0, blank = 0;
        countLinesAndBlanks(units, text.size(), &total, &blank);
        if (outTotalLines)
            *outTotalLines = total;
        if (outBlankLines)
            *outBlankLines = blank;
    }

    Scanner scanner(*language, text, markersOf(*language, removeComments), removeStrings,
                    removeBlanks, removeComments ? outCommentRanges : nullptr);
    scanner.run();
    const QString result = scanner.output();
    if (outCommentLines)
        *outCommentLines = scanner.commentLines();
    if (outCodeLines)
        *outCodeLines = countNonEmptyLines(result);
    if (outText)
        *outText = result.isEmpty() ? QString(QLatin1String("")) : result;
    return true;
    GUARD_END(false)
}
