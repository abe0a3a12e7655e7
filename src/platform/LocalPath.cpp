#include "platform/LocalPath.h"

#include "platform/RegularFile.h"

#include <QFile>
#include <QStringDecoder>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// Length of the valid UTF-8 sequence starting at i, 0 when there is none.
qsizetype validSequenceAt(const QByteArray &bytes, qsizetype i)
{
    const auto byte = [&](qsizetype k) { return uchar(bytes[k]); };
    const uchar c = byte(i);
    if (c < 0x80)
        return 1;
    qsizetype len = 0;
    uint minimum = 0;
    uint value = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2, minimum = 0x80, value = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3, minimum = 0x800, value = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4, minimum = 0x10000, value = c & 0x07;
    } else {
        return 0;
    }
    if (i + len > bytes.size())
        return 0;
    for (qsizetype k = 1; k < len; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not valid UTF-8.
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

QString LocalPath_FromBytes(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    qsizetype runStart = 0;
    qsizetype i = 0;
    // Stateless, and a byte-order mark at the start of a run is a character like any other.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const auto flush = [&](qsizetype end) {
        if (end > runStart)
            out += utf8(QByteArrayView(bytes.constData() + runStart, end - runStart));
    };
    while (i < bytes.size()) {
        const qsizetype len = validSequenceAt(bytes, i);
        if (len > 0) {
            i += len;
            continue;
        }
        flush(i);
        out += QChar(char16_t(kEscapeBase + uchar(bytes[i])));
        runStart = ++i;
    }
    flush(i);
    return out;
}

QByteArray LocalPath_ToBytes(const QString &path)
{
    QByteArray out;
    out.reserve(path.size());
    qsizetype runStart = 0;
    const auto flush = [&](qsizetype end) {
        if (end > runStart)
            out += QStringView(path).mid(runStart, end - runStart).toUtf8();
    };
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path.at(i).unicode();
        // Only a low surrogate standing alone is an escaped byte.
        const bool escaped = c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF &&
                             !(i > 0 && path.at(i - 1).isHighSurrogate());
        if (!escaped)
            continue;
        flush(i);
        out += char(c - kEscapeBase);
        runStart = i + 1;
    }
    flush(path.size());
    return out;
}

QString LocalPath_Shown(const QString &path)
{
    QString shown;
    shown.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path.at(i).unicode();
        const bool escaped = c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF &&
                             !(i > 0 && path.at(i - 1).isHighSurrogate());
        if (escaped)
            shown += QStringLiteral("\\x%1").arg(uint(c - kEscapeBase), 2, 16, QLatin1Char('0'));
        else
            shown += path.at(i);
    }
    return shown;
}

QString LocalPath_Canonical(const QString &path)
{
    if (path.isEmpty())
        return {};
    char *resolved = ::realpath(LocalPath_ToBytes(path).constData(), nullptr);
    if (!resolved)
        return {};
    const QString out = LocalPath_FromBytes(QByteArray(resolved));
    std::free(resolved);
    return out;
}

LocalPathInfo::LocalPathInfo(const QString &path)
{
    if (path.isEmpty())
        return;
    const QByteArray bytes = LocalPath_ToBytes(path);
    struct stat st;
    mIsLink = ::lstat(bytes.constData(), &st) == 0 && S_ISLNK(st.st_mode);
    if (::stat(bytes.constData(), &st) != 0)
        return;
    mExists = true;
    mIsFile = S_ISREG(st.st_mode);
    mIsDir = S_ISDIR(st.st_mode);
    mSize = qint64(st.st_size);
    mModified = QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 +
                                               st.st_mtim.tv_nsec / 1000000);
    mPermissions = int(st.st_mode & 07777);
}

std::unique_ptr<QFile> LocalPath_OpenRegularFile(const QString &path)
{
    if (path.isEmpty())
        return nullptr;
    // Judged before it is opened: a pipe or device is never opened at all.
    platform::RegularFile regular =
        platform::OpenRegularFileAt(AT_FDCWD, LocalPath_ToBytes(path), true);
    if (!regular.isOpen())
        return nullptr;
    auto file = std::make_unique<QFile>();
    if (!file->open(regular.fd.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return nullptr;
    regular.fd.release();
    return file;
}
