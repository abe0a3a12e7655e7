#include "foundation/PelkoNSString.h"

#include "foundation/FoundationServices.h"

#include "platform/Cipher.h"
#include "platform/Guard.h"
#include "platform/Log.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <cstring>
#include <limits>

namespace {

const QByteArray kUtf8Mark("\xEF\xBB\xBF", 3);

// "" rather than a null string, for the helpers that never answer nil.
QString emptyString()
{
    return QString(QLatin1String(""));
}

// A QString holds at most this many UTF-16 units; a larger file cannot be decoded anyway.
constexpr qint64 kMaxTextFileBytes = std::numeric_limits<int>::max() / 2;

} // namespace

QString toLocalizeString(const QString &self)
{
    if (self.isEmpty())
        return emptyString();
    return FoundationTranslate(self);
}

bool containsString2(const QString &self, const QString &s)
{
    if (self.isEmpty() || s.isEmpty())
        return false;
    return self.contains(s, Qt::CaseSensitive);
}

bool contain(const QString &self, const QString &s)
{
    return containsString2(self, s);
}

bool hasPrefixNoCase(const QString &self, const QString &prefix)
{
    if (prefix.isEmpty() || self.isEmpty())
        return false;
    return self.toLower().startsWith(prefix.toLower());
}

char16_t CHARAT(const QString &self, int index)
{
    if (index < 0 || index >= self.size())
        return 0;
    return self.at(index).unicode();
}

char16_t firstChar(const QString &self)
{
    return CHARAT(self, 0);
}

QString stringWithUnichar(char16_t c)
{
    if (c == 0)
        return emptyString();
    return QString(QChar(c));
}

std::unique_ptr<char16_t[]> copyToBuffer(const QString &self)
{
    if (self.isNull())
        return nullptr;
    const qsizetype n = self.size();
    auto buffer = std::make_unique<char16_t[]>(static_cast<size_t>(n) + 1);
    if (n > 0)
        std::memcpy(buffer.get(), self.utf16(), static_cast<size_t>(n) * sizeof(char16_t));
    buffer[n] = 0;
    return buffer;
}

QString removePrefixWithLenStr(const QString &self, const QString &s)
{
    if (self.isEmpty() || self.size() <= s.size())
        return emptyString();
    return self.mid(s.size());
}

QString getFileNameNoExt(const QString &self)
{
    if (self.isEmpty())
        return emptyString();
    // Last component, ignoring trailing separators ("/a/b/" -> "b"; "/" stays "/").
    QString path = self;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    QString name = (slash >= 0 && path.size() > 1) ? path.mid(slash + 1) : path;
    // Only the last extension goes; a leading dot is part of the name, not an extension.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && dot < name.size() - 1)
        name.truncate(dot);
    return name;
}

bool isFileExist(const QString &self)
{
    return !self.isEmpty() && FoundationFileExists(self);
}

bool isFolderExist(const QString &self)
{
    return !self.isEmpty() && FoundationFolderExists(self);
}

bool isFileOrFolderExist(const QString &self)
{
    return !self.isEmpty() && (FoundationFileExists(self) || FoundationFolderExists(self));
}

QUrl getFileURL(const QString &self)
{
    if (self.isEmpty())
        return QUrl();
    return QUrl::fromLocalFile(self);
}

QString hash2(const QString &self)
{
    if (self.isEmpty())
        return QStringLiteral("nullstr");
    return platform::Cipher::md5Hex(self.toUtf8());
}

bool writeToFileUtf8(const QString &self, const QString &path)
{
    GUARD_BEGIN
    if (self.isNull() || path.isEmpty())
        return false;
    // Written beside the target and renamed over it, so a failed write leaves the old file; in a
    // folder where no file can be made beside it, a writable file is still replaced in place.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (self.isEmpty()) {
        REPORT_FATAL();
    } else {
        const QByteArray bytes = kUtf8Mark + self.toUtf8();
        if (file.write(bytes) != bytes.size()) {
            file.cancelWriting();
            return false;
        }
    }
    return file.commit();
    GUARD_END(false)
}

QString stringWithContentsOfFileUtf8(const QString &path)
{
    GUARD_BEGIN
    // Only regular files: a pipe would block the open, a device would never end.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    if (file.size() > kMaxTextFileBytes) {
        platform::LogWarning(
            lcFoundation,
            QStringLiteral("*** ERROR: file too large to read as text: %1").arg(path));
        return QString();
    }
    QByteArray bytes = file.readAll();
    if (bytes.startsWith(kUtf8Mark))
        bytes.remove(0, kUtf8Mark.size());
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return QString();
    if (text.isNull())
        text = emptyString();
    return text;
    GUARD_END(QString())
}
