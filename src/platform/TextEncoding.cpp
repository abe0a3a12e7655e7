#include "platform/TextEncoding.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <memory>
#include <vector>

namespace platform {

namespace {

using namespace Encoding;

// How an encoding is converted: by an ICU converter, or by our own code where ICU has no
// counterpart or where the byte-order mark needs handling of ours.
enum class Codec { Icu, NonLossyAscii, Utf16Bom, Utf32Bom };

struct EncodingInfo
{
    StringEncoding number;
    const char *icuName; // converter name or alias; nullptr when ICU has none
    const char *iana;    // lower case, as written into files
    const char *displayName;
    Codec codec = Codec::Icu;
};

// The order is the order of the encoding menus.
const EncodingInfo kEncodings[] = {
    {UTF8, "UTF-8", "utf-8", "Unicode (UTF-8)"},
    {UTF16, nullptr, "utf-16", "Unicode (UTF-16)", Codec::Utf16Bom},
    {UTF16BE, "UTF-16BE", "utf-16be", "Unicode (UTF-16BE)"},
    {UTF16LE, "UTF-16LE", "utf-16le", "Unicode (UTF-16LE)"},
    {UTF32, nullptr, "utf-32", "Unicode (UTF-32)", Codec::Utf32Bom},
    {UTF32BE, "UTF-32BE", "utf-32be", "Unicode (UTF-32BE)"},
    {UTF32LE, "UTF-32LE", "utf-32le", "Unicode (UTF-32LE)"},
    {UTF7, "UTF-7", "utf-7", "Unicode (UTF-7)"},
    {MacOSRoman, "macintosh", "macintosh", "Western (Mac OS Roman)"},
    {ISOLatin1, "ISO-8859-1", "iso-8859-1", "Western (ISO Latin 1)"},
    {WindowsCP1252, "windows-1252", "windows-1252", "Western (Windows Latin 1)"},
    {ISOLatin9, "ISO-8859-15", "iso-8859-15", "Western (ISO Latin 9)"},
    {ISOLatin3, "ISO-8859-3", "iso-8859-3", "Western (ISO Latin 3)"},
    {DOSLatin1, "cp850", "cp850", "Western (DOS Latin 1)"},
    {DOSLatinUS, "cp437", "cp437", "Latin-US (DOS)"},
    {ASCII, "US-ASCII", "us-ascii", "Western (ASCII)"},
    {NonLossyASCII, nullptr, "x-nonlossy-ascii", "Non-lossy ASCII", Codec::NonLossyAscii},
    {NEXTSTEP, nullptr, "x-nextstep", "Western (NextStep)"},
    {ISOLatin8, "ISO-8859-14", "iso-8859-14", "Celtic (ISO Latin 8)"},
    {ISOLatin6, "ISO-8859-10", "iso-8859-10", "Nordic (ISO Latin 6)"},
    {ShiftJIS, "Shift_JIS", "shift_jis", "Japanese (Shift JIS)"},
    {JapaneseEUC, "EUC-JP", "euc-jp", "Japanese (EUC)"},
    {ISO2022JP, "ISO-2022-JP", "iso-2022-jp", "Japanese (ISO 2022-JP)"},
    {MacJapanese, "x-mac-japanese", "x-mac-japanese", "Japanese (Mac OS)"},
    {GB18030, "GB18030", "gb18030", "Simplified Chinese (GB 18030)"},
    {EUCCN, "EUC-CN", "gb2312", "Simplified Chinese (GB 2312)"},
    {DOSChineseSimplif, "windows-936", "gbk", "Simplified Chinese (Windows, DOS)"},
    {HZGB2312, "HZ-GB-2312", "hz-gb-2312", "Simplified Chinese (HZ GB 2312)"},
    {ISO2022CN, "ISO-2022-CN", "iso-2022-cn", "Chinese (ISO 2022-CN)"},
    {MacChineseSimp, "x-mac-chinesesimp", "x-mac-chinesesimp", "Simplified Chinese (Mac OS)"},
    {Big5, "Big5", "big5", "Traditional Chinese (Big 5)"},
    {Big5HKSCS, "Big5-HKSCS", "big5-hkscs", "Traditional Chinese (Big 5 HKSCS)"},
    {DOSChineseTrad, "windows-950", "cp950", "Traditional Chinese (Windows, DOS)"},
    {EUCTW, "EUC-TW", "x-euc-tw", "Traditional Chinese (EUC)"},
    {MacChineseTrad, "x-mac-chinesetrad", "x-mac-chinesetrad", "Traditional Chinese (Mac OS)"},
    {EUCKR, "EUC-KR", "euc-kr", "Korean (EUC)"},
    {DOSKorean, "windows-949", "ks_c_5601-1987", "Korean (Windows, DOS)"},
    {ISO2022KR, "ISO-2022-KR", "iso-2022-kr", "Korean (ISO 2022-KR)"},
    {MacKorean, "x-mac-korean", "x-mac-korean", "Korean (Mac OS)"},
    {ISOLatin2, "ISO-8859-2", "iso-8859-2", "Central European (ISO Latin 2)"},
    {WindowsCP1250, "windows-1250", "windows-1250", "Central European (Windows Latin 2)"},
    {MacCentralEurRoman, "x-mac-centraleurroman", "x-mac-centraleurroman",
     "Central European (Mac OS)"},
    {ISOLatin4, "ISO-8859-4", "iso-8859-4", "Central European (ISO Latin 4)"},
    {DOSLatin2, "cp852", "cp852", "Central European (DOS Latin 2)"},
    {WindowsCP1251, "windows-1251", "windows-1251", "Cyrillic (Windows)"},
    {ISOLatinCyrillic, "ISO-8859-5", "iso-8859-5", "Cyrillic (ISO 8859-5)"},
    {KOI8R, "KOI8-R", "koi8-r", "Cyrillic (KOI8-R)"},
    {MacCyrillic, "x-mac-cyrillic", "x-mac-cyrillic", "Cyrillic (Mac OS)"},
    {DOSCyrillic, "cp855", "cp855", "Cyrillic (DOS)"},
    {DOSRussian, "cp866", "cp866", "Russian (DOS)"},
    {KOI8U, "KOI8-U", "koi8-u", "Ukrainian (KOI8-U)"},
    {WindowsCP1253, "windows-1253", "windows-1253", "Greek (Windows)"},
    {ISOLatinGreek, "ISO-8859-7", "iso-8859-7", "Greek (ISO 8859-7)"},
    {MacGreek, "x-mac-greek", "x-mac-greek", "Greek (Mac OS)"},
    {DOSGreek, "cp737", "cp737", "Greek (DOS)"},
    {WindowsCP1254, "windows-1254", "windows-1254", "Turkish (Windows Latin 5)"},
    {ISOLatin5, "ISO-8859-9", "iso-8859-9", "Turkish (ISO Latin 5)"},
    {MacTurkish, "x-mac-turkish", "x-mac-turkish", "Turkish (Mac OS)"},
    {DOSTurkish, "cp857", "cp857", "Turkish (DOS)"},
    {WindowsBalticRim, "windows-1257", "windows-1257", "Baltic (Windows)"},
    {ISOLatin7, "ISO-8859-13", "iso-8859-13", "Baltic (ISO Latin 7)"},
    {DOSBalticRim, "cp775", "cp775", "Baltic (DOS)"},
    {WindowsHebrew, "windows-1255", "windows-1255", "Hebrew (Windows)"},
    {ISOLatinHebrew, "ISO-8859-8", "iso-8859-8", "Hebrew (ISO 8859-8)"},
    {DOSHebrew, "cp862", "cp862", "Hebrew (DOS)"},
    {WindowsArabic, "windows-1256", "windows-1256", "Arabic (Windows)"},
    {ISOLatinArabic, "ISO-8859-6", "iso-8859-6", "Arabic (ISO 8859-6)"},
    {DOSArabic, "cp864", "cp864", "Arabic (DOS)"},
    {DOSThai, "windows-874", "windows-874", "Thai (Windows, DOS)"},
    {ISOLatinThai, "ISO-8859-11", "iso-8859-11", "Thai (ISO 8859-11)"},
    {WindowsVietnamese, "windows-1258", "windows-1258", "Vietnamese (Windows)"},
    {Symbol, "x-mac-symbol", "x-mac-symbol", "Symbol (Mac OS)"},
};

const EncodingInfo *findInfo(StringEncoding e)
{
    for (const EncodingInfo &info : kEncodings)
        if (info.number == e)
            return &info;
    return nullptr;
}

struct ConverterClose
{
    void operator()(UConverter *c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterClose>;

Converter openConverter(const char *name)
{
    if (!name)
        return nullptr;
    UErrorCode err = U_ZERO_ERROR;
    Converter conv(ucnv_open(name, &err));
    if (U_FAILURE(err))
        return nullptr;
    return conv;
}

// ICU's own name of a converter for a name or alias; empty when ICU does not know it.
QByteArray converterNameOf(const char *nameOrAlias)
{
    UErrorCode err = U_ZERO_ERROR;
    const char *name = ucnv_getAlias(nameOrAlias, 0, &err);
    if (U_FAILURE(err) || !name)
        return QByteArray();
    return QByteArray(name);
}

// The ICU converter whose aliases name this encoding: plain UTF-16 and UTF-32 are converted by
// code of ours, but their aliases ("utf16", "ucs-4") are ICU's.
const char *aliasTarget(const EncodingInfo &info)
{
    switch (info.codec) {
    case Codec::Utf16Bom:
        return "UTF-16";
    case Codec::Utf32Bom:
        return "UTF-32";
    default:
        return info.icuName;
    }
}

bool computeAvailable(const EncodingInfo &info)
{
    switch (info.codec) {
    case Codec::NonLossyAscii:
    case Codec::Utf16Bom:
    case Codec::Utf32Bom:
        return true;
    case Codec::Icu:
        return openConverter(info.icuName) != nullptr;
    }
    return false;
}

// Availability depends only on the ICU data installed: asked once per process.
const std::vector<bool> &availability()
{
    static const std::vector<bool> table = [] {
        std::vector<bool> v;
        for (const EncodingInfo &info : kEncodings)
            v.push_back(computeAvailable(info));
        return v;
    }();
    return table;
}

bool infoAvailable(const EncodingInfo *info)
{
    return info && availability()[size_t(info - kEncodings)];
}

// --- ICU conversion in both directions -------------------------------------------------------

std::optional<QString> icuDecode(const char *icuName, const QByteArray &bytes)
{
    Converter conv = openConverter(icuName);
    if (!conv)
        return std::nullopt;
    UErrorCode err = U_ZERO_ERROR;
    // Any illegal, irregular or unmapped sequence ends the conversion with an error.
    ucnv_setToUCallBack(conv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
    if (U_FAILURE(err))
        return std::nullopt;

    QString out;
    out.resize(bytes.size() + 16);
    const char *src = bytes.constData();
    const char *srcEnd = src + bytes.size();
    qsizetype used = 0;
    for (;;) {
        auto *begin = reinterpret_cast<UChar *>(out.data());
        UChar *target = begin + used;
        err = U_ZERO_ERROR;
        ucnv_toUnicode(conv.get(), &target, begin + out.size(), &src, srcEnd, nullptr, true, &err);
        used = target - begin;
        if (err == U_BUFFER_OVERFLOW_ERROR) {
            out.resize(out.size() * 2);
            continue;
        }
        if (U_FAILURE(err))
            return std::nullopt;
        break;
    }
    out.truncate(used);
    return out;
}

struct EncodeResult
{
    QByteArray bytes;
    bool lossy = false;
    bool failed = false;
};

// A substitution callback that also records that something was substituted.
void substituteAndRecord(const void *context, UConverterFromUnicodeArgs *args,
                         const UChar *codeUnits, int32_t length, UChar32 codePoint,
                         UConverterCallbackReason reason, UErrorCode *err)
{
    if (reason <= UCNV_IRREGULAR)
        *static_cast<bool *>(const_cast<void *>(context)) = true;
    UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, codeUnits, length, codePoint, reason, err);
}

EncodeResult icuEncode(const char *icuName, const QString &text, bool allowLossy)
{
    EncodeResult result;
    Converter conv = openConverter(icuName);
    if (!conv) {
        result.failed = true;
        return result;
    }
    UErrorCode err = U_ZERO_ERROR;
    if (allowLossy) {
        static const UChar question[] = {u'?'};
        ucnv_setSubstString(conv.get(), question, 1, &err);
        err = U_ZERO_ERROR; // an encoding without '?' keeps its own substitute
        ucnv_setFromUCallBack(conv.get(), substituteAndRecord, &result.lossy, nullptr, nullptr,
                              &err);
    } else {
        ucnv_setFromUCallBack(conv.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                              &err);
    }
    if (U_FAILURE(err)) {
        result.failed = true;
        return result;
    }

    QByteArray out(text.size() * 4 + 16, Qt::Uninitialized);
    const auto *src = reinterpret_cast<const UChar *>(text.constData());
    const UChar *srcEnd = src + text.size();
    qsizetype used = 0;
    for (;;) {
        char *begin = out.data();
        char *target = begin + used;
        err = U_ZERO_ERROR;
        ucnv_fromUnicode(conv.get(), &target, begin + out.size(), &src, srcEnd, nullptr, true,
                         &err);
        used = target - begin;
        if (err == U_BUFFER_OVERFLOW_ERROR) {
            out.resize(out.size() * 2);
            continue;
        }
        if (U_FAILURE(err)) {
            // Only an unencodable character stops a conversion without substitution.
            result.lossy = err == U_INVALID_CHAR_FOUND || err == U_ILLEGAL_CHAR_FOUND;
            result.failed = true;
            return result;
        }
        break;
    }
    out.truncate(used);
    result.bytes = out;
    return result;
}

// --- UTF-16 and UTF-32 with a byte-order mark ------------------------------------------------

// The byte-order mark decides; without one the bytes are big-endian, the network order.
std::optional<QString> decodeWithBom(const QByteArray &bytes, int unit, const char *big,
                                     const char *little)
{
    const QByteArray bomBig = unit == 2 ? QByteArray("\xFE\xFF", 2) : QByteArray("\0\0\xFE\xFF", 4);
    const QByteArray bomLittle =
        unit == 2 ? QByteArray("\xFF\xFE", 2) : QByteArray("\xFF\xFE\0\0", 4);
    if (bytes.startsWith(bomLittle))
        return icuDecode(little, bytes.mid(unit));
    if (bytes.startsWith(bomBig))
        return icuDecode(big, bytes.mid(unit));
    return icuDecode(big, bytes);
}

// Written as the original machines wrote it: a byte-order mark, then little-endian units.
EncodeResult encodeWithBom(const QString &text, int unit, const char *little, bool allowLossy)
{
    EncodeResult r = icuEncode(little, text, allowLossy);
    if (!r.failed && !r.bytes.isEmpty())
        r.bytes.prepend(unit == 2 ? QByteArray("\xFF\xFE", 2) : QByteArray("\xFF\xFE\0\0", 4));
    return r;
}

// --- Non-lossy ASCII: ASCII with backslash escapes for everything else -----------------------

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isOctal(char c)
{
    return c >= '0' && c <= '7';
}

std::optional<QString> decodeNonLossyAscii(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes[i];
        if (quint8(c) >= 0x80)
            return std::nullopt;
        if (c != '\\') {
            out.append(QChar(char16_t(c)));
            continue;
        }
        if (i + 1 < n && bytes[i + 1] == '\\') {
            out.append(QLatin1Char('\\'));
            i += 1;
        } else if (i + 5 < n && bytes[i + 1] == 'u') {
            int unit = 0;
            for (int k = 2; k < 6; ++k) {
                const int h = hexValue(bytes[i + k]);
                if (h < 0)
                    return std::nullopt;
                unit = unit * 16 + h;
            }
            out.append(QChar(char16_t(unit)));
            i += 5;
        } else if (i + 3 < n && isOctal(bytes[i + 1]) && isOctal(bytes[i + 2]) &&
                   isOctal(bytes[i + 3])) {
            const int value =
                (bytes[i + 1] - '0') * 64 + (bytes[i + 2] - '0') * 8 + (bytes[i + 3] - '0');
            if (value > 0xFF)
                return std::nullopt;
            out.append(QChar(char16_t(value)));
            i += 3;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

QByteArray encodeNonLossyAscii(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == u'\\')
            out.append("\\\\");
        else if (u < 0x80)
            out.append(char(u));
        else
            out.append(QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0')).toLatin1());
    }
    return out;
}

} // namespace

bool TextEncoding::isAvailable(StringEncoding e)
{
    return infoAvailable(findInfo(e));
}

QString TextEncoding::ianaName(StringEncoding e)
{
    const EncodingInfo *info = findInfo(e);
    return info ? QString::fromLatin1(info->iana) : QString();
}

StringEncoding TextEncoding::fromIanaName(const QString &name)
{
    const QString wanted = name.trimmed();
    if (wanted.isEmpty())
        return 0;
    for (const EncodingInfo &info : kEncodings)
        if (wanted.compare(QLatin1String(info.iana), Qt::CaseInsensitive) == 0)
            return info.number;
    // Otherwise an alias: the entry whose converter ICU names the same.
    const QByteArray converter = converterNameOf(wanted.toLatin1().constData());
    if (converter.isEmpty())
        return 0;
    for (const EncodingInfo &info : kEncodings) {
        const char *name = aliasTarget(info);
        if (name && converterNameOf(name) == converter)
            return info.number;
    }
    return 0;
}

QList<StringEncoding> TextEncoding::availableEncodings()
{
    QList<StringEncoding> list;
    for (const EncodingInfo &info : kEncodings)
        if (infoAvailable(&info))
            list.append(info.number);
    return list;
}

bool TextEncoding::isSingleByte(StringEncoding e)
{
    const EncodingInfo *info = findInfo(e);
    if (!infoAvailable(info) || info->codec != Codec::Icu)
        return false;
    Converter conv = openConverter(info->icuName);
    return conv && ucnv_getMaxCharSize(conv.get()) == 1;
}

QString TextEncoding::localizedName(StringEncoding e)
{
    const EncodingInfo *info = findInfo(e);
    return info ? QString::fromLatin1(info->displayName) : QString();
}

std::optional<QString> TextEncoding::decodeStrict(const QByteArray &bytes, StringEncoding e)
{
    const EncodingInfo *info = findInfo(e);
    if (!infoAvailable(info))
        return std::nullopt;
    if (bytes.isEmpty())
        return QString(QLatin1String(""));
    switch (info->codec) {
    case Codec::NonLossyAscii:
        return decodeNonLossyAscii(bytes);
    case Codec::Utf16Bom:
        return decodeWithBom(bytes, 2, "UTF-16BE", "UTF-16LE");
    case Codec::Utf32Bom:
        return decodeWithBom(bytes, 4, "UTF-32BE", "UTF-32LE");
    case Codec::Icu:
        return icuDecode(info->icuName, bytes);
    }
    return std::nullopt;
}

QByteArray TextEncoding::encode(const QString &text, StringEncoding e, bool allowLossy,
                                bool *wasLossy)
{
    if (wasLossy)
        *wasLossy = false;
    const EncodingInfo *info = findInfo(e);
    if (!infoAvailable(info))
        return QByteArray();
    if (text.isEmpty())
        return QByteArray("");

    EncodeResult r;
    switch (info->codec) {
    case Codec::NonLossyAscii:
        r.bytes = encodeNonLossyAscii(text);
        break;
    case Codec::Utf16Bom:
        r = encodeWithBom(text, 2, "UTF-16LE", allowLossy);
        break;
    case Codec::Utf32Bom:
        r = encodeWithBom(text, 4, "UTF-32LE", allowLossy);
        break;
    case Codec::Icu:
        r = icuEncode(info->icuName, text, allowLossy);
        break;
    }
    if (wasLossy)
        *wasLossy = r.lossy;
    if (r.failed)
        return QByteArray();
    return r.bytes;
}

} // namespace platform
