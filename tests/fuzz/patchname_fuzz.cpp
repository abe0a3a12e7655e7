// The names a folder patch writes after "Index:", for whatever bytes a file's name holds. Read
// back the way GNU patch reads a name (a quoted one with C escapes; an unquoted one up to the
// first white space), each gives the very bytes of the name; the line holds no control
// character (so no name can start a line of its own), and a plain name stays as it is.
#include "FuzzQuiet.h"
#include "compare/PatchDiffRunner.h"
#include "platform/LocalPath.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

// A name after "Index:" as GNU patch reads it; nothing when it would refuse or misread it.
std::optional<QByteArray> readBack(const QByteArray &field)
{
    if (field.isEmpty())
        return std::nullopt;
    if (field.front() != '"') {
        for (const char c : field)
            if (c == ' ' || (c >= '\t' && c <= '\r'))
                return std::nullopt; // the name would end there
        return field;
    }
    QByteArray name;
    qsizetype i = 1;
    for (;; ++i) {
        if (i >= field.size())
            return std::nullopt; // no closing quote
        const char c = field[i];
        if (c == '"')
            break;
        if (c != '\\') {
            name += c;
            continue;
        }
        if (++i >= field.size())
            return std::nullopt;
        const char e = field[i];
        static const QByteArray kNamed("abtnvfr"), kBytes("\a\b\t\n\v\f\r");
        if (kNamed.contains(e)) {
            name += kBytes[kNamed.indexOf(e)];
        } else if (e == '"' || e == '\\') {
            name += e;
        } else if (e >= '0' && e <= '7') {
            int value = 0;
            int digits = 0;
            for (; digits < 3 && i < field.size() && field[i] >= '0' && field[i] <= '7'; ++digits)
                value = value * 8 + (field[i++] - '0');
            --i;
            if (value > 255)
                return std::nullopt;
            name += char(value);
        } else {
            return std::nullopt;
        }
    }
    if (i + 1 != field.size())
        return std::nullopt; // something after the closing quote
    return name;
}

bool plain(const QByteArray &bytes)
{
    for (const char c : bytes)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '.' || c == '_' || c == '-' || c == '/'))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    if (size == 0 || size > 4096)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (bytes.contains('\0'))
        return 0; // no name holds one
    const QString name = LocalPath_FromBytes(bytes);
    if (LocalPath_ToBytes(name) != bytes)
        __builtin_trap();
    const QByteArray field = PatchDiff_FileName(name);
    for (const char c : field)
        if (uchar(c) < 0x20 || c == 0x7f)
            __builtin_trap();
    const std::optional<QByteArray> back = readBack(field);
    if (!back || *back != bytes)
        __builtin_trap();
    if (plain(bytes) && field != bytes)
        __builtin_trap();
    return 0;
}
