#include "platform/Cipher.h"

#include <QCryptographicHash>
#include <openssl/evp.h>

#include <limits>
#include <memory>

namespace platform::Cipher {

namespace {

constexpr int kKeySize = 32;
constexpr int kBlockSize = 16;

struct CipherContextFree
{
    void operator()(EVP_CIPHER_CTX *ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

// An empty IV stands for the all-zero one; any other length is a caller's mistake.
std::optional<QByteArray> effectiveIv(const QByteArray &iv)
{
    if (iv.isEmpty())
        return QByteArray(kBlockSize, '\0');
    if (iv.size() != kBlockSize)
        return std::nullopt;
    return iv;
}

// One pass of AES-256-CBC with PKCS#7 padding; nullopt on any failure (for decryption that
// includes a bad padding, the sign of a wrong key or damaged data).
std::optional<QByteArray> runCipher(bool encrypt, const QByteArray &input, const QByteArray &key,
                                    const QByteArray &iv16)
{
    if (key.size() != kKeySize)
        return std::nullopt;
    const std::optional<QByteArray> iv = effectiveIv(iv16);
    if (!iv)
        return std::nullopt;
    if (input.size() > std::numeric_limits<int>::max() - 2 * kBlockSize)
        return std::nullopt;

    CipherContext ctx(EVP_CIPHER_CTX_new());
    if (!ctx)
        return std::nullopt;
    const auto *keyBytes = reinterpret_cast<const unsigned char *>(key.constData());
    const auto *ivBytes = reinterpret_cast<const unsigned char *>(iv->constData());
    if (EVP_CipherInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr, keyBytes, ivBytes,
                          encrypt ? 1 : 0) != 1)
        return std::nullopt;

    QByteArray out(input.size() + kBlockSize, Qt::Uninitialized);
    auto *outBytes = reinterpret_cast<unsigned char *>(out.data());
    int written = 0;
    if (EVP_CipherUpdate(ctx.get(), outBytes, &written,
                         reinterpret_cast<const unsigned char *>(input.constData()),
                         int(input.size())) != 1)
        return std::nullopt;
    int tail = 0;
    if (EVP_CipherFinal_ex(ctx.get(), outBytes + written, &tail) != 1)
        return std::nullopt;
    out.resize(written + tail);
    return out;
}

} // namespace

QByteArray aes256Encrypt(const QByteArray &plain, const QByteArray &key32, const QByteArray &iv16)
{
    return runCipher(true, plain, key32, iv16).value_or(QByteArray());
}

std::optional<QByteArray> aes256Decrypt(const QByteArray &cipher, const QByteArray &key32,
                                        const QByteArray &iv16)
{
    if (cipher.isEmpty() || cipher.size() % kBlockSize != 0)
        return std::nullopt;
    return runCipher(false, cipher, key32, iv16);
}

QByteArray md5(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5);
}
QByteArray sha1(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha1);
}
QByteArray sha256(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256);
}
QByteArray sha512(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha512);
}
QString md5Hex(const QByteArray &data)
{
    return QString::fromLatin1(md5(data).toHex().toUpper());
}

QByteArray base64Encode(const QByteArray &data)
{
    return data.toBase64();
}

std::optional<QByteArray> base64Decode(const QByteArray &text)
{
    const QByteArray::FromBase64Result r =
        QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    if (!r)
        return std::nullopt;
    return r.decoded;
}

} // namespace platform::Cipher
