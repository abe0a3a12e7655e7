#include "platform/PropertyList.h"

#include "platform/Log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <plist/plist.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>
#include <memory>
#include <vector>

namespace platform {

namespace {

// Deeper structures are refused: nothing we store nests beyond a handful of levels, and the
// parser recurses once per level.
constexpr int kMaxDepth = 256;
// Property lists are settings and small resource files; anything bigger is not one of ours.
constexpr qsizetype kMaxInputSize = qsizetype{256} * 1024 * 1024;
// A binary list may unfold (through shared containers) to at most this many values beyond four
// per reference it holds; the cap keeps the count from overflowing.
constexpr quint64 kUnfoldedSlack = 1 << 16;
constexpr quint64 kUnfoldedCap = quint64(1) << 62;

struct PlistDeleter
{
    void operator()(void *node) const
    {
        if (node)
            plist_free(static_cast<plist_t>(node));
    }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

const QDateTime &referenceDate()
{
    // Property-list dates count seconds from 2001-01-01 00:00:00 UTC.
    static const QDateTime epoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return epoch;
}

// The library reads and writes reals with the C library's number conversions, which follow the
// locale that Qt takes from the environment: under a decimal comma "0.5" would read as 0. The
// conversions run in the C locale, set for the calling thread only.
class CNumericLocale
{
public:
    CNumericLocale()
    {
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
        if (cLocale)
            mPrevious = uselocale(cLocale);
    }
    ~CNumericLocale()
    {
        if (mPrevious)
            uselocale(mPrevious);
    }
    CNumericLocale(const CNumericLocale &) = delete;
    CNumericLocale &operator=(const CNumericLocale &) = delete;

private:
    locale_t mPrevious = locale_t(nullptr);
};

// ---- reading ----

// Dates are stored as 32-bit seconds from the reference date.
bool dateInRange(const QDateTime &date)
{
    if (!date.isValid())
        return false;
    const qint64 sec = referenceDate().msecsTo(date) / 1000;
    return sec >= std::numeric_limits<int32_t>::min() && sec <= std::numeric_limits<int32_t>::max();
}

bool xmlStructureAcceptable(const QByteArray &data);
bool binaryStructureAcceptable(const QByteArray &data);

std::optional<QVariant> toVariant(plist_t node, int depth)
{
    if (!node || depth > kMaxDepth)
        return std::nullopt;
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return QVariant(b != 0);
    }
    case PLIST_UINT: {
        // Stored as 64 bits; negative integers come back in two's complement.
        uint64_t v = 0;
        plist_get_uint_val(node, &v);
        return QVariant(qint64(v));
    }
    case PLIST_REAL: {
        double v = 0;
        plist_get_real_val(node, &v);
        return QVariant(v);
    }
    case PLIST_STRING: {
        // By pointer and length: a string may hold NUL characters, which the copying getter
        // of the library refuses with an assertion.
        uint64_t length = 0;
        const char *s = plist_get_string_ptr(node, &length);
        if (length > uint64_t(kMaxInputSize))
            return std::nullopt;
        return QVariant(s ? QString::fromUtf8(s, qsizetype(length)) : QString(QLatin1String("")));
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char *bytes = plist_get_data_ptr(node, &length);
        if (length > uint64_t(kMaxInputSize))
            return std::nullopt;
        return QVariant(QByteArray(bytes ? bytes : "", bytes ? qsizetype(length) : 0));
    }
    case PLIST_DATE: {
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        // The library answers the fraction as a magnitude: before the reference date it
        // counts backwards.
        const qint64 fraction = std::abs(qint64(usec)) / 1000;
        const qint64 ms = qint64(sec) * 1000 + (sec < 0 ? -fraction : fraction);
        const QDateTime date = referenceDate().addMSecs(ms);
        // Seconds beyond 32 bits come back saturated; their fraction would leave the range.
        return QVariant(dateInRange(date) ? date : referenceDate().addSecs(sec));
    }
    case PLIST_UID: {
        // Keyed archives refer to objects by UID; keep it in the form their XML text shows.
        uint64_t uid = 0;
        plist_get_uid_val(node, &uid);
        QVariantMap m;
        m.insert(QStringLiteral("CF$UID"), qint64(uid));
        return QVariant(m);
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t n = plist_array_get_size(node);
        list.reserve(qsizetype(std::min<uint32_t>(n, 1u << 16)));
        for (uint32_t i = 0; i < n; ++i) {
            auto item = toVariant(plist_array_get_item(node, i), depth + 1);
            if (!item)
                return std::nullopt;
            list.append(*item);
        }
        return QVariant(list);
    }
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        if (!it)
            return QVariant(map);
        bool ok = true;
        for (;;) {
            char *key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, it, &key, &value);
            if (!value) {
                std::free(key);
                break;
            }
            auto item = toVariant(value, depth + 1);
            const QString k = key ? QString::fromUtf8(key) : QString(QLatin1String(""));
            std::free(key);
            if (!item) {
                ok = false;
                break;
            }
            map.insert(k, *item);
        }
        std::free(it);
        if (!ok)
            return std::nullopt;
        return QVariant(map);
    }
    default:
        return std::nullopt;
    }
}

// ---- writing ----

// The value itself in the types a property list holds; containers are left to the caller.
std::optional<QVariant> normalizeOne(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::QVariantList:
    case QMetaType::QVariantMap:
        return value;
    case QMetaType::ULongLong:
        // Beyond the signed range a property list cannot give the value back as it was.
        if (value.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return QVariant(qint64(value.toULongLong()));
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return QVariant(value.toLongLong());
    case QMetaType::Float:
        return QVariant(double(value.toFloat()));
    case QMetaType::QDateTime: {
        const QDateTime d = value.toDateTime();
        if (!d.isValid())
            return std::nullopt;
        return QVariant(d.toUTC());
    }
    case QMetaType::QStringList: {
        QVariantList list;
        for (const QString &s : value.toStringList())
            list << QVariant(s);
        return QVariant(list);
    }
    case QMetaType::QVariantHash: {
        QVariantMap map;
        const QVariantHash hash = value.toHash();
        for (auto it = hash.cbegin(); it != hash.cend(); ++it)
            map.insert(it.key(), it.value());
        return QVariant(map);
    }
    default:
        return std::nullopt;
    }
}

plist_t toNode(const QVariant &value, int depth);

plist_t dateNode(const QDateTime &date)
{
    if (!date.isValid())
        return nullptr;
    const qint64 ms = referenceDate().msecsTo(date);
    const qint64 sec = ms / 1000; // truncation keeps seconds and microseconds of one sign
    if (sec < std::numeric_limits<int32_t>::min() || sec > std::numeric_limits<int32_t>::max())
        return nullptr;
    return plist_new_date(int32_t(sec), int32_t((ms % 1000) * 1000));
}

plist_t stringNode(const QString &s)
{
    // A property-list string is a C string: an embedded NUL would cut it short.
    if (s.contains(QChar(0)))
        return nullptr;
    return plist_new_string(s.toUtf8().constData());
}

plist_t toNode(const QVariant &value, int depth)
{
    if (depth > kMaxDepth)
        return nullptr;
    auto normalized = normalizeOne(value);
    if (!normalized)
        return nullptr;
    const QVariant &v = *normalized;
    switch (v.typeId()) {
    case QMetaType::Bool:
        return plist_new_bool(v.toBool() ? 1 : 0);
    case QMetaType::LongLong:
        return plist_new_uint(uint64_t(v.toLongLong()));
    case QMetaType::ULongLong:
        return plist_new_uint(v.toULongLong());
    case QMetaType::Double:
        return plist_new_real(v.toDouble());
    case QMetaType::QString:
        return stringNode(v.toString());
    case QMetaType::QByteArray: {
        const QByteArray bytes = v.toByteArray();
        return plist_new_data(bytes.constData(), uint64_t(bytes.size()));
    }
    case QMetaType::QDateTime:
        return dateNode(v.toDateTime());
    case QMetaType::QVariantList: {
        PlistPtr array(plist_new_array());
        for (const QVariant &item : v.toList()) {
            plist_t child = toNode(item, depth + 1);
            if (!child)
                return nullptr;
            plist_array_append_item(array.get(), child);
        }
        return static_cast<plist_t>(array.release());
    }
    case QMetaType::QVariantMap: {
        PlistPtr dict(plist_new_dict());
        const QVariantMap map = v.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            if (it.key().contains(QChar(0)))
                return nullptr;
            plist_t child = toNode(it.value(), depth + 1);
            if (!child)
                return nullptr;
            plist_dict_set_item(dict.get(), it.key().toUtf8().constData(), child);
        }
        return static_cast<plist_t>(dict.release());
    }
    default:
        return nullptr;
    }
}

} // namespace

std::optional<QVariant> normalizedPropertyListValue(const QVariant &value, bool wholeSecondDates,
                                                    int depth)
{
    if (depth > kMaxDepth)
        return std::nullopt;
    auto one = normalizeOne(value);
    if (!one)
        return std::nullopt;
    switch (one->typeId()) {
    case QMetaType::QVariantList: {
        QVariantList list = one->toList();
        for (QVariant &item : list) {
            auto n = normalizedPropertyListValue(item, wholeSecondDates, depth + 1);
            if (!n)
                return std::nullopt;
            item = *n;
        }
        return QVariant(list);
    }
    case QMetaType::QVariantMap: {
        QVariantMap map = one->toMap();
        for (auto it = map.begin(); it != map.end(); ++it) {
            auto n = normalizedPropertyListValue(it.value(), wholeSecondDates, depth + 1);
            if (!n)
                return std::nullopt;
            it.value() = *n;
        }
        return QVariant(map);
    }
    case QMetaType::QDateTime: {
        QDateTime d = one->toDateTime();
        if (!dateInRange(d))
            return std::nullopt;
        if (wholeSecondDates) {
            const qint64 ms = d.toMSecsSinceEpoch();
            const qint64 floored = ms - ((ms % 1000) + 1000) % 1000;
            d = QDateTime::fromMSecsSinceEpoch(floored, Qt::UTC);
        }
        return QVariant(d);
    }
    default:
        return one;
    }
}

std::optional<QVariant> propertyListFromData(const QByteArray &data)
{
    if (data.isEmpty())
        return std::nullopt;
    auto refuse = [&](const char *why) -> std::optional<QVariant> {
        Log(QStringLiteral("ERROR property list of %1 bytes refused: %2")
                .arg(data.size())
                .arg(QLatin1String(why)));
        return std::nullopt;
    };
    if (data.size() > kMaxInputSize)
        return refuse("too large");
    const bool binary = data.startsWith("bplist00");
    if (binary ? !binaryStructureAcceptable(data) : !xmlStructureAcceptable(data))
        return refuse("malformed, nested too deeply, unfolding too far or holding NUL characters");
    plist_t root = nullptr;
    if (binary) {
        plist_from_bin(data.constData(), uint32_t(data.size()), &root);
    } else {
        const CNumericLocale cLocale;
        plist_from_xml(data.constData(), uint32_t(data.size()), &root);
    }
    PlistPtr owner(root);
    if (!root)
        return refuse("malformed");
    auto value = toVariant(root, 0);
    if (!value)
        return refuse("unsupported value");
    return value;
}

QByteArray dataFromPropertyList(const QVariant &value, PlistFormat format)
{
    PlistPtr root(toNode(value, 0));
    if (!root)
        return {};
    char *out = nullptr;
    uint32_t length = 0;
    if (format == PlistFormat::Binary) {
        plist_to_bin(static_cast<plist_t>(root.get()), &out, &length);
        QByteArray bytes = out ? QByteArray(out, qsizetype(length)) : QByteArray();
        plist_to_bin_free(out);
        return bytes;
    }
    {
        const CNumericLocale cLocale;
        plist_to_xml(static_cast<plist_t>(root.get()), &out, &length);
    }
    QByteArray bytes = out ? QByteArray(out, qsizetype(length)) : QByteArray();
    plist_to_xml_free(out);
    return bytes;
}

std::optional<QVariant> readPropertyListFile(const QString &path)
{
    // Only regular files: a pipe would block the open, a device would never end.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (file.size() > kMaxInputSize) {
        Log(QStringLiteral("ERROR property list too large: %1").arg(path));
        return std::nullopt;
    }
    return propertyListFromData(file.readAll());
}

bool writePropertyListFile(const QString &path, const QVariant &value, PlistFormat format)
{
    if (path.isEmpty())
        return false;
    const QByteArray bytes = dataFromPropertyList(value, format);
    if (bytes.isEmpty()) {
        Log(QStringLiteral("ERROR value cannot be written as a property list: %1").arg(path));
        return false;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        Log(QStringLiteral("ERROR cannot write property list %1: %2")
                .arg(path, file.errorString()));
        return false;
    }
    return true;
}

namespace {

// ---- structure checks made before the parser sees the input ----

// True when the text holds a character reference to NUL ("&#0;", "&#x00;"): the parser aborts on
// strings that hold one.
bool referencesNulCharacter(const QByteArray &data)
{
    for (qsizetype at = data.indexOf("&#"); at >= 0; at = data.indexOf("&#", at + 2)) {
        qsizetype i = at + 2;
        const bool hex = i < data.size() && (data[i] == 'x' || data[i] == 'X');
        if (hex)
            ++i;
        bool nonZero = false;
        qsizetype digits = 0;
        for (; i < data.size() && std::isxdigit(uchar(data[i])); ++i, ++digits) {
            if (data[i] != '0')
                nonZero = true;
        }
        if (digits > 0 && !nonZero)
            return true;
    }
    return false;
}

// Refuses NUL characters and counts the nesting of <array> and <dict> elements, skipping comments,
// processing instructions, declarations and CDATA; an unterminated construct is malformed.
bool xmlStructureAcceptable(const QByteArray &data)
{
    if (data.contains('\0') || referencesNulCharacter(data))
        return false;
    const char *p = data.constData();
    const char *end = p + data.size();
    int depth = 0;
    auto startsWith = [&](const char *at, const char *lit) {
        const size_t n = std::strlen(lit);
        return size_t(end - at) >= n && std::memcmp(at, lit, n) == 0;
    };
    auto skipPast = [&](const char *from, const char *lit) -> const char * {
        const size_t n = std::strlen(lit);
        for (const char *q = from; size_t(end - q) >= n; ++q) {
            if (std::memcmp(q, lit, n) == 0)
                return q + n;
        }
        return nullptr;
    };
    while (p < end) {
        p = static_cast<const char *>(std::memchr(p, '<', size_t(end - p)));
        if (!p)
            break;
        const char *next = nullptr;
        if (startsWith(p, "<!--"))
            next = skipPast(p + 4, "-->");
        else if (startsWith(p, "<![CDATA["))
            next = skipPast(p + 9, "]]>");
        else if (startsWith(p, "<?"))
            next = skipPast(p + 2, "?>");
        else
            next = skipPast(p + 1, ">");
        if (!next)
            return false;
        const bool closing = p + 1 < end && p[1] == '/';
        const char *name = p + (closing ? 2 : 1);
        auto isTag = [&](const char *tag) {
            const size_t n = std::strlen(tag);
            if (size_t(end - name) < n + 1 || std::memcmp(name, tag, n) != 0)
                return false;
            const char c = name[n];
            return c == '>' || c == '/' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
        };
        if (isTag("array") || isTag("dict")) {
            const bool selfClosing = next - p >= 2 && next[-2] == '/';
            if (closing)
                --depth;
            else if (!selfClosing && ++depth > kMaxDepth)
                return false;
        }
        p = next;
    }
    return true;
}

quint64 readBigEndian(const uchar *p, int size)
{
    quint64 v = 0;
    for (int i = 0; i < size; ++i)
        v = (v << 8) | p[i];
    return v;
}

// Walks the object table of a binary property list without recursion and answers whether the
// longest chain of containers stays within the limit and no string holds a NUL character. Cycles
// and references out of range are malformed. Containers may be shared, and the parser copies a
// shared container at every reference: a few hundred bytes of containers that each refer twice to
// the next would unfold into billions of values, so the unfolded size is bounded by the number of
// references the file really holds.
bool binaryStructureAcceptable(const QByteArray &data)
{
    constexpr qsizetype headerSize = 8;
    constexpr qsizetype trailerSize = 32;
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const quint64 size = quint64(data.size());
    if (data.size() < headerSize + trailerSize)
        return false;
    const uchar *trailer = bytes + size - trailerSize;
    const int offsetSize = trailer[6];
    const int refSize = trailer[7];
    const quint64 objectCount = readBigEndian(trailer + 8, 8);
    const quint64 topObject = readBigEndian(trailer + 16, 8);
    const quint64 tableOffset = readBigEndian(trailer + 24, 8);
    if (offsetSize < 1 || offsetSize > 8 || refSize < 1 || refSize > 8 || objectCount == 0 ||
        topObject >= objectCount || tableOffset < quint64(headerSize) ||
        tableOffset >= size - trailerSize ||
        objectCount > (size - trailerSize - tableOffset) / quint64(offsetSize))
        return false;

    auto objectOffset = [&](quint64 index) {
        return readBigEndian(bytes + tableOffset + index * quint64(offsetSize), offsetSize);
    };
    // The children of a container object: answers false when the object is malformed.
    auto children = [&](quint64 index, std::vector<quint64> &out) {
        out.clear();
        const quint64 offset = objectOffset(index);
        if (offset < quint64(headerSize) || offset >= tableOffset)
            return false;
        const uchar marker = bytes[offset];
        const int type = marker >> 4;
        const bool container = type == 0xA || type == 0xC || type == 0xD;
        const bool string = type == 0x5 || type == 0x6;
        if (!container && !string)
            return true;
        quint64 count = marker & 0x0F;
        quint64 pos = offset + 1;
        if (count == 0x0F) {
            if (pos >= tableOffset || (bytes[pos] >> 4) != 0x1)
                return false;
            const int intSize = 1 << (bytes[pos] & 0x0F);
            if (intSize > 8 || pos + 1 + quint64(intSize) > tableOffset)
                return false;
            count = readBigEndian(bytes + pos + 1, intSize);
            pos += 1 + quint64(intSize);
        }
        if (string) {
            // The parser aborts on a string with a NUL character in it: refuse those here.
            const quint64 unit = type == 0x6 ? 2 : 1;
            if (count > (tableOffset - pos) / unit)
                return false;
            for (quint64 i = 0; i < count; ++i) {
                const uchar *c = bytes + pos + i * unit;
                if (c[0] == 0 && (unit == 1 || c[1] == 0))
                    return false;
            }
            return true;
        }
        const quint64 refs = type == 0xD ? count * 2 : count;
        if (count > tableOffset || refs > (tableOffset - pos) / quint64(refSize))
            return false;
        out.reserve(refs);
        for (quint64 i = 0; i < refs; ++i) {
            const quint64 ref = readBigEndian(bytes + pos + i * quint64(refSize), refSize);
            if (ref >= objectCount)
                return false;
            out.push_back(ref);
        }
        return true;
    };

    // Iterative depth-first search computing each object's height and unfolded size once.
    enum : uchar { Unvisited, OnPath, Done };
    std::vector<uchar> state(objectCount, Unvisited);
    std::vector<int> height(objectCount, 0);
    std::vector<quint64> unfolded(objectCount, 1);
    quint64 references = 0;
    struct Frame
    {
        quint64 index;
        std::vector<quint64> kids;
        size_t next = 0;
    };
    std::vector<Frame> stack;
    stack.push_back({topObject, {}, 0});
    if (!children(topObject, stack.back().kids))
        return false;
    references += stack.back().kids.size();
    state[topObject] = OnPath;
    while (!stack.empty()) {
        Frame &frame = stack.back();
        if (frame.next < frame.kids.size()) {
            const quint64 kid = frame.kids[frame.next++];
            if (state[kid] == OnPath)
                return false;
            if (state[kid] == Done)
                continue;
            if (stack.size() > size_t(kMaxDepth))
                return false;
            Frame child{kid, {}, 0};
            if (!children(kid, child.kids))
                return false;
            references += child.kids.size();
            state[kid] = OnPath;
            stack.push_back(std::move(child));
            continue;
        }
        int h = 0;
        quint64 size = 1;
        for (quint64 kid : frame.kids) {
            h = std::max(h, height[kid] + 1);
            size = std::min(size + unfolded[kid], kUnfoldedCap);
        }
        if (h > kMaxDepth)
            return false;
        // Shared strings and numbers are common and cheap; only a blow-up is refused.
        if (size > kUnfoldedSlack + 4 * (references + 1))
            return false;
        height[frame.index] = h;
        unfolded[frame.index] = size;
        state[frame.index] = Done;
        stack.pop_back();
    }
    return true;
}

} // namespace

} // namespace platform
