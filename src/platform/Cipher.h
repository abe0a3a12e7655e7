#pragma once
// Enciphering of the application's own files (AES-256, CBC, PKCS#7 padding), digests and Base64.

#include <QByteArray>
#include <QString>
#include <optional>

namespace platform::Cipher {

// Empty when the key is not 32 bytes or the IV not empty/16 bytes. An empty IV means 16 zero bytes.
QByteArray aes256Encrypt(const QByteArray &plain, const QByteArray &key32,
                         const QByteArray &iv16 = {});
// nullopt on a wrong key or IV length, a length that is not whole blocks, or a bad padding.
std::optional<QByteArray> aes256Decrypt(const QByteArray &cipher, const QByteArray &key32,
                                        const QByteArray &iv16 = {});

QByteArray md5(const QByteArray &data);
QByteArray sha1(const QByteArray &data);
QByteArray sha256(const QByteArray &data);
QByteArray sha512(const QByteArray &data);
QString md5Hex(const QByteArray &data); // 32 upper-case hex digits

QByteArray base64Encode(const QByteArray &data);
// Strict: nullopt on any character outside the alphabet (line breaks and spaces included) or a
// wrong padding.
std::optional<QByteArray> base64Decode(const QByteArray &text);

} // namespace platform::Cipher
