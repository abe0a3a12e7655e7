#include "layers/AttributedStringAttributes.h"

#include "foundation/ColorWord.h"
#include "foundation/PelkoNSFont.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFragment>
#include <cmath>
#include <vector>

namespace {

constexpr quint64 kBlackWord = 255;

struct Run
{
    qint64 start = 0;
    qint64 length = 0;
    QTextCharFormat format;
    qint64 end() const { return start + length; }
};

qint64 textLength(const QTextDocument *text)
{
    return text ? qMax<qint64>(text->characterCount() - 1, 0) : 0;
}

// The fragments in order of position, with each paragraph separator as a run of its own that
// carries the format of the character before it.
std::vector<Run> runsOf(const QTextDocument *text)
{
    std::vector<Run> runs;
    const qint64 length = textLength(text);
    for (QTextBlock block = text->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid() && fragment.length() > 0)
                runs.push_back({fragment.position(), fragment.length(), fragment.charFormat()});
        }
        const qint64 separator = block.position() + block.length() - 1;
        if (separator < length) {
            const QTextCharFormat format = runs.empty() ? block.charFormat() : runs.back().format;
            runs.push_back({separator, 1, format});
        }
    }
    return runs;
}

bool setsFont(const QTextCharFormat &format)
{
    return format.hasProperty(QTextFormat::FontFamilies) ||
           format.hasProperty(QTextFormat::FontPointSize) ||
           format.hasProperty(QTextFormat::FontWeight) ||
           format.hasProperty(QTextFormat::FontItalic);
}

// Unset, or the colour word of the foreground colour.
std::optional<quint64> colorOf(const QTextCharFormat &format)
{
    if (!format.hasProperty(QTextFormat::ForegroundBrush))
        return std::nullopt;
    const QBrush brush = format.foreground();
    if (brush.style() == Qt::NoBrush)
        return std::nullopt;
    return GetHexColor(platform::Color::fromQColor(brush.color()));
}

Range clampedRange(const QTextDocument *text, Range range)
{
    const qint64 length = textLength(text);
    const qint64 start = qBound<qint64>(0, range.location, length);
    const qint64 end = qBound<qint64>(start, MaxRange(range), length);
    return Range{start, end - start};
}

Range wholeText(const QTextDocument *text)
{
    return Range{0, textLength(text)};
}

// The run holding the index; runs.size() when none does.
size_t runAt(const std::vector<Run> &runs, qint64 index)
{
    const auto found = std::upper_bound(runs.begin(), runs.end(), index,
                                        [](qint64 i, const Run &run) { return i < run.start; });
    if (found == runs.begin())
        return runs.size();
    const size_t at = size_t(found - runs.begin()) - 1;
    return index < runs[at].end() ? at : runs.size();
}

// The run of the index widened over its neighbours of the same value, cut to `limit`. False when
// the index lies outside the text or the limit.
template <class Value, class ValueOf>
bool longestRun(const std::vector<Run> &runs, qint64 index, Range limit, ValueOf valueOf,
                Value *value, Range *range)
{
    if (!LocationInRange(index, limit))
        return false;
    const size_t at = runAt(runs, index);
    if (at == runs.size())
        return false;
    *value = valueOf(runs[at].format);
    size_t first = at;
    while (first > 0 && runs[first - 1].end() > limit.location &&
           valueOf(runs[first - 1].format) == *value)
        --first;
    size_t last = at;
    while (last + 1 < runs.size() && runs[last + 1].start < MaxRange(limit) &&
           valueOf(runs[last + 1].format) == *value)
        ++last;
    const qint64 start = qMax(runs[first].start, limit.location);
    const qint64 end = qMin(runs[last].end(), MaxRange(limit));
    *range = Range{start, end - start};
    return true;
}

Range emptyRangeAt(const QTextDocument *text, qint64 index)
{
    return Range{qBound<qint64>(0, index, textLength(text)), 0};
}

bool fontRunAt(const QTextDocument *text, const std::vector<Run> &runs, qint64 index, Range limit,
               QFont *font, Range *range)
{
    std::optional<QFont> value;
    const auto valueOf = [](const QTextCharFormat &f) {
        return setsFont(f) ? std::optional<QFont>(f.font()) : std::nullopt;
    };
    if (!text || !longestRun(runs, index, clampedRange(text, limit), valueOf, &value, range))
        return false;
    *font = value ? *value : defaultFont();
    return true;
}

// The value of the font at the index, its range taking in the following font runs of the same
// value inside the limit.
template <class Value, class Trait>
Value traitAtIndex(const QTextDocument *text, qint64 index, Range *outRange, Range limit,
                   Trait trait, Value fallback)
{
    if (!text) {
        if (outRange)
            *outRange = Range{0, 0};
        return fallback;
    }
    const std::vector<Run> runs = runsOf(text);
    QFont font;
    Range range;
    if (!fontRunAt(text, runs, index, limit, &font, &range)) {
        if (outRange)
            *outRange = emptyRangeAt(text, index);
        return fallback;
    }
    const Value value = trait(font);
    if (outRange) {
        const qint64 end = MaxRange(clampedRange(text, limit));
        while (MaxRange(range) < end) {
            QFont next;
            Range nextRange;
            if (!fontRunAt(text, runs, MaxRange(range), limit, &next, &nextRange) ||
                !(trait(next) == value))
                break;
            range.length += nextRange.length;
        }
        *outRange = range;
    }
    return value;
}

void setFontOver(QTextDocument *text, qint64 start, qint64 end, const QFont &font)
{
    QTextCursor cursor(text);
    cursor.setPosition(int(start));
    cursor.setPosition(int(end), QTextCursor::KeepAnchor);
    QTextCharFormat format;
    format.setFont(font, QTextCharFormat::FontPropertiesAll);
    cursor.mergeCharFormat(format);
}

// Walks the font runs of the range; `change` answers the run's new font, or none to keep it.
template <class Change> void changeRunByRun(QTextDocument *text, Range range, Change change)
{
    if (!text)
        return;
    const Range limit = clampedRange(text, range);
    qint64 at = limit.location;
    while (at < MaxRange(limit)) {
        QFont font;
        Range run;
        if (!fontRunAt(text, runsOf(text), at, limit, &font, &run) || run.length <= 0)
            break;
        if (const std::optional<QFont> changed = change(font))
            setFontOver(text, run.location, MaxRange(run), *changed);
        at = MaxRange(run);
    }
}

// The index whose font the typing attributes start from: the selection's start, or the last
// character when the caret is at the end; none for an empty text or a selection outside it.
std::optional<qint64> typingIndex(const QTextDocument *text, const QTextCursor &cursor)
{
    const qint64 length = textLength(text);
    const qint64 start = cursor.selectionStart();
    const qint64 end = cursor.selectionEnd();
    if (start > length || end > length || length == 0)
        return std::nullopt;
    return start == length ? length - 1 : start;
}

template <class View> void setTypingFontName(View *view, const QString &name)
{
    if (!view || name.isEmpty() || !view->document())
        return;
    const auto index = typingIndex(view->document(), view->textCursor());
    if (!index)
        return;
    const QFont current = fontAtIndex(view->document(), *index, nullptr);
    const std::optional<QFont> font = installedFont(name, current.pointSizeF());
    if (!font)
        return;
    view->setCurrentCharFormat(*FontAttributesWithFont(&*font));
    view->viewport()->update();
}

template <class View> void setTypingFontSize(View *view, float size)
{
    if (!view || !(size > 0) || !view->document())
        return;
    const auto index = typingIndex(view->document(), view->textCursor());
    if (!index)
        return;
    const QFont font = fontWithFont(fontAtIndex(view->document(), *index, nullptr), double(size));
    view->setCurrentCharFormat(*FontAttributesWithFont(&font));
    view->viewport()->update();
}

template <class View> void setTypingColor(View *view, quint64 word)
{
    if (!view || word == 0 || word == 0x100000000ull || !view->document())
        return;
    if (word > 0xFFFFFFFFull)
        return;
    const platform::Color color =
        platform::Color::calibratedRGB(((word >> 24) & 0xFF) / 255.0, ((word >> 16) & 0xFF) / 255.0,
                                       ((word >> 8) & 0xFF) / 255.0, (word & 0xFF) / 255.0);
    view->setCurrentCharFormat(*ColorAttributesWithColor(color));
    view->viewport()->update();
}

} // namespace

QFont defaultFont()
{
    QFont font(QStringLiteral("Helvetica"));
    font.setPointSizeF(12);
    return font;
}

quint64 colorAtIndex(const QTextDocument *text, qint64 index, Range *effectiveRange)
{
    Range range = emptyRangeAt(text, index);
    std::optional<quint64> value;
    const bool found =
        text && longestRun(runsOf(text), index, wholeText(text), colorOf, &value, &range);
    if (effectiveRange)
        *effectiveRange = found ? range : emptyRangeAt(text, index);
    return found && value ? *value : kBlackWord;
}

QFont fontAtIndex(const QTextDocument *text, qint64 index, Range *longestEffectiveRange,
                  Range inRange)
{
    QFont font;
    Range range;
    const bool found = text && fontRunAt(text, runsOf(text), index, inRange, &font, &range);
    if (longestEffectiveRange)
        *longestEffectiveRange = found ? range : emptyRangeAt(text, index);
    return found ? font : defaultFont();
}

QString fontNameAtIndex(const QTextDocument *text, qint64 index, Range *longestEffectiveRange,
                        Range inRange)
{
    return traitAtIndex<QString>(
        text, index, longestEffectiveRange, inRange, [](const QFont &f) { return fontName(f); },
        fontName(defaultFont()));
}

double fontSizeAtIndex(const QTextDocument *text, qint64 index, Range *longestEffectiveRange,
                       Range inRange)
{
    return traitAtIndex<double>(
        text, index, longestEffectiveRange, inRange, [](const QFont &f) { return f.pointSizeF(); },
        defaultFont().pointSizeF());
}

bool boldAtIndex(const QTextDocument *text, qint64 index, Range *longestEffectiveRange,
                 Range inRange)
{
    return traitAtIndex<bool>(
        text, index, longestEffectiveRange, inRange, [](const QFont &f) { return bold(f); }, false);
}

bool italicAtIndex(const QTextDocument *text, qint64 index, Range *longestEffectiveRange,
                   Range inRange)
{
    return traitAtIndex<bool>(
        text, index, longestEffectiveRange, inRange, [](const QFont &f) { return italic(f); },
        false);
}

QFont fontAtIndex(const QTextDocument *text, qint64 index, Range *effectiveRange)
{
    return fontAtIndex(text, index, effectiveRange, wholeText(text));
}

QString fontNameAtIndex(const QTextDocument *text, qint64 index, Range *effectiveRange)
{
    return fontNameAtIndex(text, index, effectiveRange, wholeText(text));
}

double fontSizeAtIndex(const QTextDocument *text, qint64 index, Range *effectiveRange)
{
    return fontSizeAtIndex(text, index, effectiveRange, wholeText(text));
}

bool boldAtIndex(const QTextDocument *text, qint64 index, Range *effectiveRange)
{
    return boldAtIndex(text, index, effectiveRange, wholeText(text));
}

bool italicAtIndex(const QTextDocument *text, qint64 index, Range *effectiveRange)
{
    return italicAtIndex(text, index, effectiveRange, wholeText(text));
}

void addFont(QTextDocument *text, const QFont &font, Range range)
{
    if (!text)
        return;
    const Range limit = clampedRange(text, range);
    if (limit.length > 0)
        setFontOver(text, limit.location, MaxRange(limit), font);
}

void addFontName(QTextDocument *text, const QString &name, Range range)
{
    const std::optional<QFont> named = installedFont(name, QFont().pointSizeF());
    if (!named)
        return;
    const QString wanted = fontName(*named);
    changeRunByRun(text, range, [&wanted](const QFont &font) -> std::optional<QFont> {
        if (fontName(font) == wanted)
            return std::nullopt;
        return installedFont(wanted, font.pointSizeF());
    });
}

void addFontSize(QTextDocument *text, double size, Range range)
{
    if (!(size > 0) || !std::isfinite(size))
        return;
    changeRunByRun(text, range, [size](const QFont &font) -> std::optional<QFont> {
        if (font.pointSizeF() == size)
            return std::nullopt;
        QFont changed = font;
        changed.setPointSizeF(size);
        return changed;
    });
}

void addBold(QTextDocument *text, bool wanted, Range range)
{
    changeRunByRun(text, range, [wanted](const QFont &font) -> std::optional<QFont> {
        if (bold(font) == wanted)
            return std::nullopt;
        return fontWithFontBold(font, wanted);
    });
}

void addItalic(QTextDocument *text, bool wanted, Range range)
{
    changeRunByRun(text, range, [wanted](const QFont &font) -> std::optional<QFont> {
        if (italic(font) == wanted)
            return std::nullopt;
        return fontWithFontItalic(font, wanted);
    });
}

std::optional<QTextCharFormat> FontAttributesWithFont(const QFont *font)
{
    if (!font)
        return std::nullopt;
    QTextCharFormat format;
    format.setFont(*font, QTextCharFormat::FontPropertiesAll);
    return format;
}

std::optional<QTextCharFormat> ColorAttributesWithColor(const platform::Color &color)
{
    if (!color.isValid())
        return std::nullopt;
    QTextCharFormat format;
    format.setForeground(color.toQColor());
    return format;
}

void ChangeTextViewTypeSetting_Fontname(QTextEdit *view, const QString &name)
{
    setTypingFontName(view, name);
}

void ChangeTextViewTypeSetting_Fontname(QPlainTextEdit *view, const QString &name)
{
    setTypingFontName(view, name);
}

void ChangeTextViewTypeSetting_Fontsize(QTextEdit *view, float size)
{
    setTypingFontSize(view, size);
}

void ChangeTextViewTypeSetting_Fontsize(QPlainTextEdit *view, float size)
{
    setTypingFontSize(view, size);
}

void ChangeTextViewTypeSetting_Fontcolor(QTextEdit *view, quint64 color)
{
    setTypingColor(view, color);
}

void ChangeTextViewTypeSetting_Fontcolor(QPlainTextEdit *view, quint64 color)
{
    setTypingColor(view, color);
}
