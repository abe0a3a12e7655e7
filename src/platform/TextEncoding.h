#pragma once
// Text encodings, numbered as the original platform numbers them (stored settings keep their
// meaning), converted with ICU.

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace platform {

using StringEncoding = quint32;

namespace Encoding {
inline constexpr StringEncoding ASCII = 1;
inline constexpr StringEncoding NEXTSTEP = 2;
inline constexpr StringEncoding JapaneseEUC = 3;
inline constexpr StringEncoding UTF8 = 4;
inline constexpr StringEncoding ISOLatin1 = 5;
inline constexpr StringEncoding Symbol = 6;
inline constexpr StringEncoding NonLossyASCII = 7;
inline constexpr StringEncoding ShiftJIS = 8;
inline constexpr StringEncoding ISOLatin2 = 9;
inline constexpr StringEncoding UTF16 = 10; // "Unicode": a byte-order mark decides, else big-endian
inline constexpr StringEncoding Unicode = UTF16;
inline constexpr StringEncoding WindowsCP1251 = 11;
inline constexpr StringEncoding WindowsCP1252 = 12;
inline constexpr StringEncoding WindowsCP1253 = 13;
inline constexpr StringEncoding WindowsCP1254 = 14;
inline constexpr StringEncoding WindowsCP1250 = 15;
inline constexpr StringEncoding ISO2022JP = 21;
inline constexpr StringEncoding MacOSRoman = 30;
inline constexpr StringEncoding UTF16BE = 0x90000100;
inline constexpr StringEncoding UTF16LE = 0x94000100;
inline constexpr StringEncoding UTF32 = 0x8c000100; // a byte-order mark decides, else big-endian
inline constexpr StringEncoding UTF32BE = 0x98000100;
inline constexpr StringEncoding UTF32LE = 0x9c000100;

// The others: 0x80000000 with the platform's lower-level encoding number.
inline constexpr StringEncoding MacJapanese = 0x80000001;
inline constexpr StringEncoding MacChineseTrad = 0x80000002;
inline constexpr StringEncoding MacKorean = 0x80000003;
inline constexpr StringEncoding MacGreek = 0x80000006;
inline constexpr StringEncoding MacCyrillic = 0x80000007;
inline constexpr StringEncoding MacChineseSimp = 0x80000019;
inline constexpr StringEncoding MacCentralEurRoman = 0x8000001D;
inline constexpr StringEncoding MacTurkish = 0x80000023;
inline constexpr StringEncoding ISOLatin3 = 0x80000203;
inline constexpr StringEncoding ISOLatin4 = 0x80000204;
inline constexpr StringEncoding ISOLatinCyrillic = 0x80000205;
inline constexpr StringEncoding ISOLatinArabic = 0x80000206;
inline constexpr StringEncoding ISOLatinGreek = 0x80000207;
inline constexpr StringEncoding ISOLatinHebrew = 0x80000208;
inline constexpr StringEncoding ISOLatin5 = 0x80000209;
inline constexpr StringEncoding ISOLatin6 = 0x8000020A;
inline constexpr StringEncoding ISOLatinThai = 0x8000020B;
inline constexpr StringEncoding ISOLatin7 = 0x8000020D;
inline constexpr StringEncoding ISOLatin8 = 0x8000020E;
inline constexpr StringEncoding ISOLatin9 = 0x8000020F;
inline constexpr StringEncoding DOSLatinUS = 0x80000400;
inline constexpr StringEncoding DOSGreek = 0x80000405;
inline constexpr StringEncoding DOSBalticRim = 0x80000406;
inline constexpr StringEncoding DOSLatin1 = 0x80000410;
inline constexpr StringEncoding DOSLatin2 = 0x80000412;
inline constexpr StringEncoding DOSCyrillic = 0x80000413;
inline constexpr StringEncoding DOSTurkish = 0x80000414;
inline constexpr StringEncoding DOSHebrew = 0x80000417;
inline constexpr StringEncoding DOSArabic = 0x80000419;
inline constexpr StringEncoding DOSRussian = 0x8000041B;
inline constexpr StringEncoding DOSThai = 0x8000041D;
inline constexpr StringEncoding DOSChineseSimplif = 0x80000421;
inline constexpr StringEncoding DOSKorean = 0x80000422;
inline constexpr StringEncoding DOSChineseTrad = 0x80000423;
inline constexpr StringEncoding WindowsHebrew = 0x80000505;
inline constexpr StringEncoding WindowsArabic = 0x80000506;
inline constexpr StringEncoding WindowsBalticRim = 0x80000507;
inline constexpr StringEncoding WindowsVietnamese = 0x80000508;
inline constexpr StringEncoding GB18030 = 0x80000632;
inline constexpr StringEncoding ISO2022KR = 0x80000840;
inline constexpr StringEncoding ISO2022CN = 0x80000830;
inline constexpr StringEncoding EUCCN = 0x80000930;
inline constexpr StringEncoding EUCTW = 0x80000931;
inline constexpr StringEncoding EUCKR = 0x80000940;
inline constexpr StringEncoding KOI8R = 0x80000A02;
inline constexpr StringEncoding Big5 = 0x80000A03;
inline constexpr StringEncoding HZGB2312 = 0x80000A05;
inline constexpr StringEncoding Big5HKSCS = 0x80000A06;
inline constexpr StringEncoding KOI8U = 0x80000A08;
inline constexpr StringEncoding UTF7 = 0x84000100;
} // namespace Encoding

class TextEncoding
{
public:
    // True when text can be converted in this encoding on this machine.
    static bool isAvailable(StringEncoding e);
    // The IANA character-set name in lower case ("utf-8", "shift_jis"); null when unknown.
    static QString ianaName(StringEncoding e);
    // Case-insensitive; takes aliases too. 0 when unknown.
    static StringEncoding fromIanaName(const QString &name);
    // Every available encoding, in the order the encoding menus show them.
    static QList<StringEncoding> availableEncodings();
    // True when every character is one byte (ISO Latin 1, KOI8-R, ...); false for multi-byte,
    // stateful and unknown encodings.
    static bool isSingleByte(StringEncoding e);
    // "Unicode (UTF-8)", "Japanese (Shift JIS)"; null when unknown.
    static QString localizedName(StringEncoding e);
    // A string of exactly those bytes in that encoding, else nullopt (any illegal, irregular or
    // unmapped sequence, or an unavailable encoding). Empty bytes give an empty string. Plain
    // UTF-16 and UTF-32 take their byte order from a leading mark (and drop it), big-endian
    // without one; every other encoding keeps a leading U+FEFF as a character.
    static std::optional<QString> decodeStrict(const QByteArray &bytes, StringEncoding e);
    // The bytes of the text; characters the encoding lacks become '?' when allowLossy, else the
    // result is a null QByteArray. *wasLossy tells whether the text could not be encoded whole.
    // Plain UTF-16 and UTF-32 are written with a byte-order mark, then little-endian.
    static QByteArray encode(const QString &text, StringEncoding e, bool allowLossy,
                             bool *wasLossy = nullptr);
};

} // namespace platform
