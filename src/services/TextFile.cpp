#include "services/TextFile.h"

#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/UniqueFd.h"
#include "services/EncodingDetection.h"
#include "services/FileBytes.h"
#include "services/Localization.h"
#include "services/NamedFile.h"

#include <QComboBox>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

using platform::StringEncoding;
using platform::TextEncoding;
namespace Encoding = platform::Encoding;

namespace {

// Larger files are refused rather than risking an allocation the machine cannot give.
constexpr qint64 kMaxTextFileSize = qint64(512) << 20;

struct ByteOrderMark
{
    const char *bytes;
    int size;
    StringEncoding encoding;
};

// UTF-32 first: its little-endian mark begins with the UTF-16 one.
const ByteOrderMark kMarks[] = {
    {"\xFF\xFE\x00\x00", 4, Encoding::UTF32LE}, {"\x00\x00\xFE\xFF", 4, Encoding::UTF32BE},
    {"\xEF\xBB\xBF", 3, Encoding::UTF8},        {"\xFE\xFF", 2, Encoding::UTF16BE},
    {"\xFF\xFE", 2, Encoding::UTF16LE},
};

QByteArray markBytes(const ByteOrderMark &mark)
{
    return QByteArray(mark.bytes, mark.size);
}

// The generic Unicode encodings are big-endian unless a mark says otherwise.
StringEncoding withByteOrder(StringEncoding e)
{
    if (e == Encoding::UTF16)
        return Encoding::UTF16BE;
    if (e == Encoding::UTF32)
        return Encoding::UTF32BE;
    return e;
}

const ByteOrderMark *markOfEncoding(StringEncoding e)
{
    const StringEncoding exact = withByteOrder(e);
    for (const ByteOrderMark &mark : kMarks) {
        if (mark.encoding == exact)
            return &mark;
    }
    return nullptr;
}

// A mark that fits e (the generic Unicode encodings accept either byte order).
const ByteOrderMark *leadingMarkFor(const QByteArray &bytes, StringEncoding e)
{
    for (const ByteOrderMark &mark : kMarks) {
        if (!bytes.startsWith(markBytes(mark)))
            continue;
        const bool fits =
            mark.encoding == e ||
            (e == Encoding::UTF16 &&
             (mark.encoding == Encoding::UTF16BE || mark.encoding == Encoding::UTF16LE)) ||
            (e == Encoding::UTF32 &&
             (mark.encoding == Encoding::UTF32BE || mark.encoding == Encoding::UTF32LE));
        if (fits)
            return &mark;
    }
    return nullptr;
}

std::optional<QString> decodeMarked(const QByteArray &bytes, const ByteOrderMark &mark)
{
    return TextEncoding::decodeStrict(bytes.mid(mark.size), mark.encoding);
}

// Decodes with the asked-for encoding, dropping a matching mark.
bool decodeAsked(const QByteArray &bytes, StringEncoding asked, QString *text, TextFileInfo *info)
{
    if (const ByteOrderMark *mark = leadingMarkFor(bytes, asked)) {
        if (auto decoded = decodeMarked(bytes, *mark)) {
            *text = *decoded;
            info->encoding = mark->encoding;
            info->hasBOM = true;
            return true;
        }
    }
    const StringEncoding exact = withByteOrder(asked);
    if (auto decoded = TextEncoding::decodeStrict(bytes, exact)) {
        *text = *decoded;
        info->encoding = exact;
        return true;
    }
    return false;
}

bool decodeByMark(const QByteArray &bytes, QString *text, TextFileInfo *info)
{
    for (const ByteOrderMark &mark : kMarks) {
        if (!bytes.startsWith(markBytes(mark)))
            continue;
        // "FF FE 00 00" may also be UTF-16LE text starting with U+0000: try on.
        if (auto decoded = decodeMarked(bytes, mark)) {
            *text = *decoded;
            info->encoding = mark.encoding;
            info->hasBOM = true;
            return true;
        }
    }
    return false;
}

bool decodeDetected(const QByteArray &bytes, StringEncoding preferred, QString *text,
                    TextFileInfo *info)
{
    if (decodeByMark(bytes, text, info)) {
        info->encodingSure = true;
        return true;
    }
    // UTF-16 of ASCII-range characters (Latin, Cyrillic in little-endian order, ...) is also
    // valid UTF-8, with a zero byte in every other place: it is told apart first.
    const StringEncoding utf16 = DetectUnmarkedUTF16(bytes);
    if (utf16 == 0) {
        if (auto decoded = TextEncoding::decodeStrict(bytes, Encoding::UTF8)) {
            *text = *decoded;
            info->encoding = Encoding::UTF8;
            info->encodingSure = true;
            return true;
        }
    }
    if (preferred != 0 && decodeAsked(bytes, preferred, text, info))
        return true;
    if (utf16 != 0 && decodeAsked(bytes, utf16, text, info))
        return true;
    // Every byte sequence fits some single-byte encoding; the detector says which one the text
    // is most likely in. Latin 1 is the last resort, as it takes every byte.
    for (StringEncoding guess :
         {DetectTextEncodingWithICU(bytes), Encoding::WindowsCP1252, Encoding::ISOLatin1}) {
        if (guess != 0 && decodeAsked(bytes, guess, text, info))
            return true;
    }
    return false;
}

void findLineEnds(const QString &text, TextFileInfo *info)
{
    bool seen[3] = {false, false, false};
    bool first = true;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        END_LINE_TYPE kind;
        if (c == u'\n') {
            kind = END_LINE_LF;
        } else if (c == u'\r') {
            kind = END_LINE_CR;
            if (i + 1 < n && text.at(i + 1) == u'\n') {
                kind = END_LINE_CRLF;
                ++i;
            }
        } else {
            continue;
        }
        if (first)
            info->endLine = kind;
        first = false;
        seen[kind] = true;
    }
    info->mixedLineEnds = int(seen[0]) + int(seen[1]) + int(seen[2]) > 1;
}

QString withLineEnds(const QString &text, END_LINE_TYPE endLine)
{
    QString lf = text;
    lf.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lf.replace(u'\r', u'\n');
    if (endLine == END_LINE_CR)
        lf.replace(u'\n', u'\r');
    else if (endLine == END_LINE_CRLF)
        lf.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    return lf;
}

} // namespace

QString App_DecodeTextBytes(const QByteArray &bytes, TextFileInfo *info, StringEncoding preferred)
{
    GUARD_BEGIN
    TextFileInfo local;
    TextFileInfo &out = info ? *info : local;
    const StringEncoding asked = out.encoding;
    const int permissions = out.permissions;
    out = TextFileInfo{};
    out.permissions = permissions;
    if (bytes.isEmpty()) {
        out.encoding = asked != 0 ? asked : Encoding::UTF8;
        return QStringLiteral("");
    }
    QString text;
    if (asked != 0 && decodeAsked(bytes, asked, &text, &out)) {
        out.encodingSure = true;
    } else {
        if (asked != 0)
            platform::Log(lcServices,
                          QStringLiteral("*** text is not in encoding %1; detecting").arg(asked));
        out.hasBOM = false;
        if (!decodeDetected(bytes, preferred, &text, &out))
            return QString();
    }
    if (text.isNull())
        text = QStringLiteral("");
    findLineEnds(text, &out);
    out.hasNulChar = text.contains(QChar(0));
    return text;
    GUARD_END(QString())
}

namespace {

// The bytes of the file open as fd, judged to hold size bytes: never more than that, so a file
// that grows while it is read costs no more memory than the size that was checked (what it grew
// by is left out, and the window's check of the file's identity sees the change). A file that
// says it is empty may still have content (the kernel's files): that is read up to the limit.
// Null when it cannot be read or is larger than the limit.
QByteArray readJudged(int fd, qint64 size, const QString &path)
{
    const qint64 bound = size > 0 ? size : kMaxTextFileSize;
    QByteArray bytes;
    int error = fd < 0 ? EBADF : 0;
    if (error == 0 && size > 0)
        error = ReadBytesAt(fd, 0, size + 1, &bytes);
    // Without a size to go by, a block at a time: no allocation of the whole limit up front.
    for (QByteArray block; error == 0 && size == 0 && bytes.size() <= bound;) {
        constexpr qint64 kBlock = qint64(1) << 20;
        error = ReadBytesAt(fd, bytes.size(), kBlock, &block);
        bytes += block;
        if (block.size() < kBlock)
            break;
    }
    if (error != 0) {
        platform::LogWarning(lcServices,
                             QStringLiteral("ERROR cannot read text file: %1").arg(path));
        return QByteArray();
    }
    if (bytes.size() > bound) {
        if (size == 0) {
            platform::LogWarning(lcServices,
                                 QStringLiteral("ERROR text file too large: %1").arg(path));
            return QByteArray();
        }
        platform::Log(lcServices,
                      QStringLiteral("%1 grew while it was read; read as it was judged").arg(path));
        bytes.truncate(qsizetype(size));
    }
    return bytes.isNull() ? QByteArray("") : bytes;
}

} // namespace

QString App_ReadTextFileContent(const QString &path, TextFileInfo *info, StringEncoding preferred)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return QString();
    // The file is judged and read by one descriptor; its status before the read is what a save
    // compares with later.
    const NamedFile named(path, true);
    if (!named.isRegularFile())
        return QString();
    if (named.status().st_size > kMaxTextFileSize) {
        platform::LogWarning(lcServices, QStringLiteral("ERROR text file too large: %1").arg(path));
        return QString();
    }
    const platform::UniqueFd fd(named.reopen(O_RDONLY | O_NONBLOCK | O_NOCTTY));
    const QByteArray bytes = readJudged(fd.get(), named.status().st_size, path);
    if (bytes.isNull())
        return QString();
    TextFileInfo local;
    TextFileInfo &out = info ? *info : local;
    out.permissions = int(named.status().st_mode & 07777);
    QString text = App_DecodeTextBytes(bytes, &out, preferred);
    out.identity = named.identity();
    if (text.isNull())
        platform::LogWarning(lcServices,
                             QStringLiteral("ERROR cannot decode text file: %1").arg(path));
    return text;
    GUARD_END(QString())
}

QString ReadTextFileContent(const QString &path, StringEncoding *encoding, bool *sure, bool *hasBOM,
                            int *permissions, StringEncoding preferred)
{
    TextFileInfo info;
    info.encoding = encoding ? *encoding : 0;
    QString text = App_ReadTextFileContent(path, &info, preferred);
    if (text.isNull())
        return text;
    if (encoding)
        *encoding = info.encoding;
    if (sure)
        *sure = info.encodingSure;
    if (hasBOM)
        *hasBOM = info.hasBOM;
    if (permissions)
        *permissions = info.permissions;
    return text;
}

QByteArray App_EncodeTextBytes(const QString &text, const TextSaveOptions &options)
{
    GUARD_BEGIN
    const StringEncoding e =
        withByteOrder(options.encoding != 0 ? options.encoding : Encoding::UTF8);
    const QString body = options.convertLineEnds ? withLineEnds(text, options.endLine) : text;
    bool lossy = false;
    QByteArray bytes = TextEncoding::encode(body, e, options.allowLossy, &lossy);
    if (bytes.isNull() && !body.isEmpty()) {
        platform::LogWarning(lcServices,
                             QStringLiteral("ERROR text cannot be written in encoding %1").arg(e));
        return QByteArray();
    }
    const ByteOrderMark *mark = markOfEncoding(e);
    // The mark is ours to add or leave out, whatever the converter does.
    if (mark && !body.startsWith(QChar(0xFEFF)) && bytes.startsWith(markBytes(*mark)))
        bytes.remove(0, mark->size);
    if (mark && options.writeBOM)
        bytes.prepend(markBytes(*mark));
    if (bytes.isNull())
        bytes = QByteArray("");
    return bytes;
    GUARD_END(QByteArray())
}

bool App_WriteStringToFile(const QString &text, const QString &path, const TextSaveOptions &options,
                           FileWriteFailure *failure, const FileIdentity *expected,
                           FileIdentity *written)
{
    if (failure)
        *failure = FileWriteFailure::Other;
    GUARD_BEGIN
    if (path.isEmpty() || text.isNull())
        return false;
    const QByteArray bytes = App_EncodeTextBytes(text, options);
    if (bytes.isNull()) {
        if (failure)
            *failure = FileWriteFailure::CannotEncode;
        return false;
    }
    const bool ok = expected ? ReplaceReadFileContent(path, *expected, bytes, options.permissions,
                                                      DefaultNewFileMode(), failure, written)
                             : ReplaceFileContent(path, bytes, options.permissions,
                                                  DefaultNewFileMode(), failure);
    if (!ok) {
        platform::LogWarning(lcServices,
                             QStringLiteral("ERROR cannot write text file: %1").arg(path));
        return false;
    }
    return true;
    GUARD_END(false)
}

QString StringFromBytesTryEncodings(const QByteArray &bytes, StringEncoding *usedEncoding)
{
    GUARD_BEGIN
    static const StringEncoding kOrder[] = {
        Encoding::UTF8,       Encoding::ShiftJIS,  Encoding::ASCII,         Encoding::JapaneseEUC,
        Encoding::MacOSRoman, Encoding::ISOLatin1, Encoding::NonLossyASCII, Encoding::ISOLatin2,
        Encoding::ISO2022JP,  Encoding::Symbol,
    };
    if (bytes.isEmpty())
        return QString();
    for (StringEncoding e : kOrder) {
        auto decoded = TextEncoding::decodeStrict(bytes, e);
        if (!decoded)
            continue;
        if (usedEncoding)
            *usedEncoding = e;
        return decoded->isNull() ? QStringLiteral("") : *decoded;
    }
    return QString();
    GUARD_END(QString())
}

const QList<QVariantList> &GetAllAvailableStringEncodings_Array_Name_Code()
{
    static const QList<QVariantList> list = [] {
        QList<QVariantList> entries;
        entries.append(QVariantList{QStringLiteral("Auto"), QVariant(qint64(0))});
        for (StringEncoding e : TextEncoding::availableEncodings()) {
            QString name = TextEncoding::localizedName(e);
            if (name.isEmpty())
                name = TextEncoding::ianaName(e);
            if (e == 0 || name.isEmpty())
                continue;
            entries.append(QVariantList{name, QVariant(qint64(e))});
        }
        return entries;
    }();
    return list;
}

void SetupEncodingList(QComboBox *popup, StringEncoding encoding)
{
    GUARD_BEGIN
    if (!popup)
        return;
    popup->clear();
    int selected = 0;
    for (const QVariantList &entry : GetAllAvailableStringEncodings_Array_Name_Code()) {
        const qint64 number = entry.at(1).toLongLong();
        if (number == qint64(encoding))
            selected = popup->count();
        // The encodings' own names are the platform's; only the automatic entry is our text.
        const QString name = entry.at(0).toString();
        popup->addItem(number == 0 ? L_(name) : name, QVariant(number));
    }
    popup->setCurrentIndex(selected);
    GUARD_END_VOID
}

StringEncoding CurrentEncodingOfPopup(QComboBox *popup)
{
    if (!popup || popup->currentIndex() < 0)
        return 0;
    bool ok = false;
    const qint64 number = popup->currentData().toLongLong(&ok);
    if (!ok || number < 0 || number > qint64(0xFFFFFFFF))
        return 0;
    return StringEncoding(number);
}
