#include "services/EncodedFile.h"

#include "platform/Cipher.h"
#include "platform/Guard.h"
#include "platform/Log.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

namespace {

// The header tells our enciphered files from plain text, so a plain file is never deciphered.
const QByteArray &magic()
{
    static const QByteArray m("PKMENC\x01\x00", 8);
    return m;
}
constexpr qsizetype kIvSize = 16;
constexpr qsizetype kBlock = 16;
// Resource files are small; anything larger is not one of ours.
constexpr qint64 kMaxFileSize = 256ll * 1024 * 1024;

const QByteArray &appKey()
{
    static const QByteArray key =
        QByteArray::fromHex("5b1e9c70d43a8f26e1b7c05a93d8f41267ae3c9b08d5e1f46a2c7b93e50d18f4");
    return key;
}

std::optional<QByteArray> readWholeFile(const QString &path)
{
    // Only regular files: a pipe or device could keep the read waiting.
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (file.size() > kMaxFileSize) {
        platform::LogWarning(
            lcServices, QStringLiteral("ERROR %1 is too large to be a resource file").arg(path));
        return std::nullopt;
    }
    return file.readAll();
}

} // namespace

bool IsAppEncodedData(const QByteArray &data)
{
    return data.startsWith(magic());
}

QByteArray App_EncodeData(const QByteArray &plain)
{
    QByteArray iv(kIvSize, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(iv.data()), kIvSize / 4);
    const QByteArray cipher = platform::Cipher::aes256Encrypt(plain, appKey(), iv);
    if (cipher.isEmpty())
        return {};
    return magic() + iv + cipher;
}

std::optional<QByteArray> App_DecodeData(const QByteArray &data)
{
    if (!IsAppEncodedData(data))
        return std::nullopt;
    const qsizetype bodySize = data.size() - magic().size() - kIvSize;
    if (bodySize < kBlock || bodySize % kBlock != 0)
        return std::nullopt;
    const QByteArray iv = data.mid(magic().size(), kIvSize);
    return platform::Cipher::aes256Decrypt(data.mid(magic().size() + kIvSize), appKey(), iv);
}

QByteArray App_MyEncodeFile_ReadData(const QString &path)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return {};
    const auto bytes = readWholeFile(path);
    if (!bytes)
        return {};
    if (!IsAppEncodedData(*bytes))
        return bytes->isNull() ? QByteArray("") : *bytes;
    const auto plain = App_DecodeData(*bytes);
    if (!plain) {
        platform::LogWarning(lcServices,
                             QStringLiteral("ERROR %1: damaged enciphered file").arg(path));
        return {};
    }
    return plain->isNull() ? QByteArray("") : *plain;
    GUARD_END({})
}

QString App_MyEncodeFile_Read(const QString &path)
{
    const QByteArray bytes = App_MyEncodeFile_ReadData(path);
    if (bytes.isNull())
        return {};
    const QString text = QString::fromUtf8(bytes);
    return text.isNull() ? QStringLiteral("") : text;
}

bool App_MyEncodeFile_WriteData(const QString &path, const QByteArray &plain)
{
    GUARD_BEGIN
    if (path.isEmpty())
        return false;
    const QByteArray encoded = App_EncodeData(plain);
    if (encoded.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(encoded) != encoded.size())
        return false;
    return file.commit();
    GUARD_END(false)
}

bool App_MyEncodeFile_Write(const QString &path, const QString &text)
{
    return App_MyEncodeFile_WriteData(path, text.toUtf8());
}
