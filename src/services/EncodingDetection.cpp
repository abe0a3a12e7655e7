#include "services/EncodingDetection.h"

#include <langinfo.h>
#include <memory>
#include <unicode/ucsdet.h>
#include <vector>

using platform::StringEncoding;
using platform::TextEncoding;
namespace Encoding = platform::Encoding;

namespace {

// The detector reads this much at most; the whole text is then checked by decoding it.
constexpr qsizetype kDetectorSampleSize = qsizetype{64} * 1024;

struct DetectorClose
{
    void operator()(UCharsetDetector *d) const { ucsdet_close(d); }
};

struct Candidate
{
    StringEncoding encoding;
    int confidence;
};

// UTF-8 and UTF-16 are decided before the detector is asked; its guesses of UTF-16 and UTF-32
// without a mark rest on a few characters and take almost any even number of bytes.
bool isUnicode(StringEncoding e)
{
    using namespace Encoding;
    return e == UTF8 || e == UTF16 || e == UTF16BE || e == UTF16LE || e == UTF32 || e == UTF32BE ||
           e == UTF32LE || e == UTF7;
}

// The first bytes up to a line end: no encoding the detector names uses the LF byte inside a
// character, so the sample decodes whenever the whole text does.
QByteArray sampleOf(const QByteArray &bytes)
{
    if (bytes.size() <= kDetectorSampleSize)
        return bytes;
    const qsizetype lineEnd = bytes.lastIndexOf('\n', kDetectorSampleSize - 1);
    return bytes.left(lineEnd > 0 ? lineEnd + 1 : kDetectorSampleSize);
}

std::vector<Candidate> detectorCandidates(const QByteArray &sample)
{
    std::vector<Candidate> out;
    UErrorCode err = U_ZERO_ERROR;
    std::unique_ptr<UCharsetDetector, DetectorClose> detector(ucsdet_open(&err));
    if (U_FAILURE(err) || !detector)
        return out;
    ucsdet_setText(detector.get(), sample.constData(), int32_t(sample.size()), &err);
    int32_t count = 0;
    const UCharsetMatch **matches = ucsdet_detectAll(detector.get(), &count, &err);
    if (U_FAILURE(err) || !matches)
        return out;
    for (int32_t i = 0; i < count; ++i) {
        UErrorCode matchErr = U_ZERO_ERROR;
        const char *name = ucsdet_getName(matches[i], &matchErr);
        const int confidence = ucsdet_getConfidence(matches[i], &matchErr);
        if (U_FAILURE(matchErr) || !name)
            continue;
        const StringEncoding e = TextEncoding::fromIanaName(QString::fromLatin1(name));
        if (e != 0 && TextEncoding::isAvailable(e) && !isUnicode(e))
            out.push_back({e, confidence});
    }
    return out;
}

bool isLatinLetter(QChar c)
{
    return c.unicode() < 0x250 && c.isLetter();
}

bool isEastAsian(QChar c)
{
    switch (c.script()) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
    case QChar::Script_Bopomofo:
        return true;
    default:
        return false;
    }
}

// Half-width katakana stand alone in old Japanese texts; between full-width characters they are
// the trace of another encoding read as Shift JIS.
bool isHalfWidthKana(QChar c)
{
    return c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F;
}

// Signs of Windows Latin 1 that prose hardly uses, but which the lead bytes of Shift JIS and
// other double-byte encodings become (0x83 is the lead byte of every katakana).
bool isRareSymbol(QChar c)
{
    switch (c.unicode()) {
    case 0x0192: // f with hook
    case 0x2020: // dagger
    case 0x2021: // double dagger
    case 0x02C6: // modifier circumflex
    case 0x2030: // per mille
    case 0x2039: // single angle quotes
    case 0x203A:
    case 0x02DC: // small tilde
        return true;
    default:
        return false;
    }
}

// How odd a text reads: C1 control characters, symbols inside Latin words ("pi\u00b9e" for
// "pi\u0161e" read in the wrong Latin encoding) and East Asian characters inside Latin words
// (Polish read as Big 5). The detector's statistics do not know every language; a reading with
// far fewer oddities is the right one.
qsizetype odditiesOf(const QString &text)
{
    qsizetype n = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80)
            continue;
        if (c.unicode() <= 0x9F || isRareSymbol(c)) {
            n += 2;
            continue;
        }
        const QChar before = i > 0 ? text.at(i - 1) : QChar(u' ');
        const QChar after = i + 1 < size ? text.at(i + 1) : QChar(u' ');
        if (!c.isLetter()) {
            n += isLatinLetter(before) && isLatinLetter(after);
        } else if (isHalfWidthKana(c)) {
            n += (isEastAsian(before) && !isHalfWidthKana(before)) ||
                 (isEastAsian(after) && !isHalfWidthKana(after));
        } else if (isEastAsian(c)) {
            n += before.unicode() < 0x80 && before.isLetter() && after.unicode() < 0x80 &&
                 after.isLetter();
        }
    }
    return n;
}

bool decodesWhole(const QByteArray &bytes, StringEncoding e)
{
    return TextEncoding::decodeStrict(bytes, e).has_value();
}

struct Reading
{
    StringEncoding encoding;
    int confidence;
    qsizetype oddities;
};

// The candidates that decode the sample, best first, with how odd each reads.
std::vector<Reading> readingsOf(const QByteArray &sample)
{
    std::vector<Reading> out;
    for (const Candidate &c : detectorCandidates(sample)) {
        bool seen = false;
        for (const Reading &r : out)
            seen = seen || r.encoding == c.encoding;
        if (seen)
            continue;
        if (const auto text = TextEncoding::decodeStrict(sample, c.encoding))
            out.push_back({c.encoding, c.confidence, odditiesOf(*text)});
    }
    return out;
}

} // namespace

StringEncoding DetectUnmarkedUTF16(const QByteArray &bytes)
{
    if (bytes.size() < 4 || bytes.size() % 2 != 0)
        return 0;
    qsizetype zerosEven = 0, zerosOdd = 0;
    const char *p = bytes.constData();
    for (qsizetype i = 0; i < bytes.size(); i += 2) {
        zerosEven += p[i] == 0;
        zerosOdd += p[i + 1] == 0;
    }
    // Characters whose low byte is zero (U+4E00 ...) put a few zeros on the other side.
    StringEncoding e = 0;
    if (zerosEven >= 2 && zerosEven >= 4 * zerosOdd)
        e = Encoding::UTF16BE;
    else if (zerosOdd >= 2 && zerosOdd >= 4 * zerosEven)
        e = Encoding::UTF16LE;
    if (e == 0)
        return 0;
    const auto text = TextEncoding::decodeStrict(bytes, e);
    // NUL characters make binary data, not text.
    if (!text || text->contains(QChar(0)))
        return 0;
    return e;
}

StringEncoding DetectTextEncodingWithICU(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return 0;
    std::vector<Reading> readings = readingsOf(sampleOf(bytes));
    if (readings.empty())
        return 0;
    // The detector's order, except that the plainest reading wins when it has less than half the
    // oddities of the best one; at equal confidence the locale's encoding comes first.
    const StringEncoding local = LocaleTextEncoding();
    const Reading *pick = &readings.front();
    const Reading *plainest = pick;
    for (const Reading &r : readings)
        if (r.oddities < plainest->oddities)
            plainest = &r;
    if (pick->oddities >= 2 && plainest->oddities * 2 < pick->oddities)
        pick = plainest;
    for (const Reading &r : readings) {
        if (r.encoding == local && r.confidence == pick->confidence && r.oddities <= pick->oddities)
            pick = &r;
    }
    // The sample decodes; the whole text must too, else the next reading is taken.
    if (bytes.size() <= kDetectorSampleSize || decodesWhole(bytes, pick->encoding))
        return pick->encoding;
    for (const Reading &r : readings)
        if (decodesWhole(bytes, r.encoding))
            return r.encoding;
    return 0;
}

StringEncoding LocaleTextEncoding()
{
    const char *codeset = ::nl_langinfo(CODESET);
    if (!codeset || !*codeset)
        return 0;
    return TextEncoding::fromIanaName(QString::fromLatin1(codeset));
}
