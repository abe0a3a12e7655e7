#include "layers/ColorRunParsers.h"

#include "platform/Guard.h"

#include <string_view>
#include <unordered_set>

using namespace colorruns;

namespace {

// The words coloured as keywords (some appear twice in the original list; a set keeps one).
const std::unordered_set<std::u16string_view> &keywords()
{
    static const std::unordered_set<std::u16string_view> words = {
        u"abstract",   u"alignas",       u"alignof",      u"and",
        u"and_eq",     u"asm",           u"assert",       u"auto",
        u"bitand",     u"bitor",         u"bool",         u"break",
        u"byte",       u"class",         u"protocol",     u"case",
        u"catch",      u"char",          u"char16_t",     u"char32_t",
        u"compl",      u"const",         u"constexpr",    u"const_cast",
        u"continue",   u"decltype",      u"default",      u"delete",
        u"do",         u"double",        u"dynamic_cast", u"else",
        u"enum",       u"explicit",      u"export",       u"extern",
        u"FALSE",      u"float",         u"for",          u"friend",
        u"final",      u"finally",       u"goto",         u"if",
        u"inline",     u"int",           u"implements",   u"import",
        u"instanceof", u"interface",     u"long",         u"mutable",
        u"namespace",  u"native",        u"new",          u"noexcept",
        u"not",        u"not_eq",        u"nullptr",      u"operator",
        u"or",         u"or_eq",         u"package",      u"private",
        u"protected",  u"public",        u"register",     u"reinterpret_cast",
        u"return",     u"short",         u"signed",       u"sizeof",
        u"static",     u"static_assert", u"static_cast",  u"struct",
        u"switch",     u"synchronized",  u"super",        u"template",
        u"this",       u"thread_local",  u"throw",        u"throws",
        u"transient",  u"TRUE",          u"try",          u"typedef",
        u"typeid",     u"typename",      u"union",        u"unsigned",
        u"using",      u"virtual",       u"void",         u"volatile",
        u"wchar_t",    u"while",         u"xor",          u"xor_eq",
        u"final",      u"self",          u"this",         u"BOOL",
        u"private",    u"protected",     u"public",       u"NULL",
        u"release",    u"alloc",         u"copy",         u"dealloc",
        u"init",       u"super",
    };
    return words;
}

bool isAsciiLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool isAsciiDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isLineBreak(char16_t c)
{
    return c == u'\n' || c == u'\f' || c == u'\r' || c == 0x2028 || c == 0x2029;
}

// The text up to its first NUL, with bounded lookups: a character past the end reads as NUL, so
// a prefix test near the end never matches.
class Scanner
{
public:
    Scanner(QStringView text, QList<TEXT_BLOCK> *out) : mOut(out)
    {
        const qsizetype nul = text.indexOf(QChar(0));
        mText = nul < 0 ? text : text.left(nul);
    }
    qsizetype size() const { return mText.size(); }
    char16_t at(qsizetype i) const { return i < mText.size() ? mText[i].unicode() : 0; }
    bool startsWith(qsizetype i, std::u16string_view prefix) const
    {
        for (size_t k = 0; k < prefix.size(); ++k) {
            if (at(i + qsizetype(k)) != prefix[k])
                return false;
        }
        return true;
    }
    // The first index from `from` whose character satisfies stop; size() when none.
    template <typename Stop> qsizetype find(qsizetype from, Stop stop) const
    {
        qsizetype j = from;
        while (j < mText.size() && !stop(mText[j].unicode()))
            ++j;
        return j;
    }
    // The index just past a quoted text opened at i; a backslash carries the next character.
    qsizetype quotedEnd(qsizetype i) const
    {
        const char16_t quote = at(i);
        qsizetype j = i + 1;
        while (j < mText.size()) {
            const char16_t c = mText[j].unicode();
            if (c == u'\\') {
                j += 2;
                continue;
            }
            ++j;
            if (c == quote)
                break;
        }
        return qMin(j, mText.size());
    }
    // The index just past the first `close` that starts at or after from; size() when none.
    qsizetype pastClosing(qsizetype from, std::u16string_view close) const
    {
        for (qsizetype j = from; j < mText.size(); ++j) {
            if (startsWith(j, close))
                return j + qsizetype(close.size());
        }
        return mText.size();
    }
    std::u16string_view word(qsizetype from, qsizetype to) const
    {
        return std::u16string_view(reinterpret_cast<const char16_t *>(mText.data()) + from,
                                   size_t(to - from));
    }
    void add(qsizetype from, qsizetype to, quint64 color)
    {
        to = qMin(to, mText.size());
        if (to <= from)
            return;
        TEXT_BLOCK block;
        block.pos = quint64(from);
        block.len = quint64(to - from);
        block.color = color;
        mOut->append(block);
    }

private:
    QStringView mText;
    QList<TEXT_BLOCK> *mOut;
};

// One rule of the C scanner at i: appends at most one run and answers the next position, always
// beyond i.
qsizetype scanC(Scanner &s, qsizetype i)
{
    const char16_t c = s.at(i);
    if (s.startsWith(i, u"//")) {
        const qsizetype end = s.find(i + 2, isLineBreak);
        s.add(i, end, kComment);
        return end + 1;
    }
    if (s.startsWith(i, u"/*")) {
        // The star of the closing pair stands at i + 2 or later, so "/*/" does not close itself.
        const qsizetype end = s.pastClosing(i + 2, u"*/");
        s.add(i, end, kComment);
        return end;
    }
    if (c == u'#') {
        const qsizetype end =
            s.find(i + 1, [](char16_t u) { return u == u'\t' || u == u' ' || isLineBreak(u); });
        s.add(i, end, kPreprocessor);
        return end;
    }
    if (c == u'"' || c == u'\'') {
        const qsizetype end = s.quotedEnd(i);
        s.add(i, end, kQuoted);
        return end;
    }
    if (c == u'[') {
        const qsizetype close = s.find(i + 1, [](char16_t u) { return u == u']' || u == u':'; });
        const qsizetype end = qMin(close + 1, s.size());
        s.add(i, end, kFunction);
        return end;
    }
    if (isAsciiDigit(c) || c == u'-' || c == u'.') {
        const qsizetype end =
            s.find(i + 1, [](char16_t u) { return !isAsciiDigit(u) && u != u'-' && u != u'.'; });
        s.add(i, end, kNumber);
        return end;
    }
    if (isAsciiLetter(c) || c == u'_') {
        const qsizetype end = s.find(i + 1, [](char16_t u) {
            return !isAsciiLetter(u) && !isAsciiDigit(u) && u != u'_' && u != u'-' && u != u'.';
        });
        quint64 color = kPlain;
        if (s.at(end) == u'(' || (s.at(end) == u' ' && s.at(end + 1) == u'('))
            color = kFunction;
        if (keywords().count(s.word(i, end)))
            color = kKeyword;
        s.add(i, end, color);
        return end;
    }
    if (c == u'/')
        return i + 1; // a slash that starts no comment
    // Starts on none of the characters below, so the run holds at least one.
    const qsizetype end = s.find(i + 1, [](char16_t u) {
        return isAsciiLetter(u) || isAsciiDigit(u) || u == u'_' || u == u'"' || u == u'#' ||
               u == u'\'' || u == u'-' || u == u'.' || u == u'/' || u == u'[';
    });
    s.add(i, end, kPlain);
    return end;
}

qsizetype scanHtml(Scanner &s, qsizetype i)
{
    const char16_t c = s.at(i);
    if (s.startsWith(i, u"<!--")) {
        const qsizetype end = s.pastClosing(i + 2, u"-->");
        s.add(i, end, kComment);
        return end;
    }
    if (c == u'<') {
        const qsizetype stop = s.find(i + 1, [](char16_t u) {
            return u == u'\t' || u == u' ' || u == u'>' || isLineBreak(u);
        });
        const qsizetype end = qMin(stop + 1, s.size());
        s.add(i, end, kTagHead);
        return end;
    }
    if (c == u'&') {
        const qsizetype end = s.find(i + 1, [](char16_t u) {
            return u == u'\t' || u == u' ' || u == u';' || isLineBreak(u);
        });
        s.add(i, end, kPreprocessor);
        return end;
    }
    if (c == u'"') {
        const qsizetype end = s.quotedEnd(i);
        s.add(i, end, kQuoted);
        return end;
    }
    const qsizetype end =
        s.find(i + 1, [](char16_t u) { return u == u'"' || u == u'&' || u == u'<'; });
    s.add(i, end, kPlain);
    return end;
}

template <typename Rule> void scan(QStringView text, QList<TEXT_BLOCK> *out, Rule rule)
{
    if (!out)
        return;
    out->clear();
    Scanner scanner(text, out);
    for (qsizetype i = 0; i < scanner.size();)
        i = rule(scanner, i);
}

} // namespace

void Parse_Color_C(QStringView text, QList<TEXT_BLOCK> *out)
{
    GUARD_BEGIN
    scan(text, out, scanC);
    GUARD_END_VOID
}

void Parse_Color_HTML(QStringView text, QList<TEXT_BLOCK> *out)
{
    GUARD_BEGIN
    scan(text, out, scanHtml);
    GUARD_END_VOID
}
