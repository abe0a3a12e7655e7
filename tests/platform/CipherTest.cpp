#include "platform/Cipher.h"

#include <gtest/gtest.h>

namespace Cipher = platform::Cipher;

namespace {

const QByteArray kKey =
    QByteArray::fromHex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");

TEST(CipherTest, Aes256MatchesKnownVector)
{
    // First block of the published AES-256-CBC example; a second block of padding follows.
    const QByteArray iv = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f");
    const QByteArray plain = QByteArray::fromHex("6bc1bee22e409f96e93d7e117393172a");
    const QByteArray cipher = Cipher::aes256Encrypt(plain, kKey, iv);
    ASSERT_EQ(cipher.size(), 32);
    EXPECT_EQ(cipher.left(16).toHex(), QByteArray("f58c4c04d6e5f1ba779eabfb5f7bfbd6"));
    EXPECT_EQ(Cipher::aes256Decrypt(cipher, kKey, iv), plain);
}

TEST(CipherTest, Aes256RoundTripsEveryPaddingLength)
{
    for (int n = 0; n <= 33; ++n) {
        SCOPED_TRACE(n);
        const QByteArray plain(n, char('a' + n % 26));
        const QByteArray cipher = Cipher::aes256Encrypt(plain, kKey);
        EXPECT_EQ(cipher.size(), (n / 16 + 1) * 16);
        // An empty IV is the zero IV.
        EXPECT_EQ(cipher, Cipher::aes256Encrypt(plain, kKey, QByteArray(16, '\0')));
        EXPECT_EQ(Cipher::aes256Decrypt(cipher, kKey), plain);
    }
}

TEST(CipherTest, Aes256RefusesBadKeysAndData)
{
    const QByteArray cipher = Cipher::aes256Encrypt("secret text", kKey);
    EXPECT_TRUE(Cipher::aes256Encrypt("x", kKey.left(31)).isEmpty());
    EXPECT_TRUE(Cipher::aes256Encrypt("x", kKey + 'x').isEmpty());
    EXPECT_TRUE(Cipher::aes256Encrypt("x", kKey, QByteArray(8, '\0')).isEmpty());
    EXPECT_FALSE(Cipher::aes256Decrypt(cipher, kKey.left(16)));
    EXPECT_FALSE(Cipher::aes256Decrypt(cipher.left(15), kKey));
    EXPECT_FALSE(Cipher::aes256Decrypt(QByteArray(), kKey));

    // A wrong key shows as a bad padding for nearly every key; count that none is accepted as
    // the original text.
    int accepted = 0;
    for (int i = 0; i < 32; ++i) {
        QByteArray wrong = kKey;
        wrong[i] = char(wrong[i] ^ 0x5A);
        const auto plain = Cipher::aes256Decrypt(cipher, wrong);
        if (plain && *plain == "secret text")
            ++accepted;
    }
    EXPECT_EQ(accepted, 0);

    QByteArray damaged = cipher;
    damaged[damaged.size() - 1] = char(damaged[damaged.size() - 1] ^ 0x01);
    const auto result = Cipher::aes256Decrypt(damaged, kKey);
    EXPECT_TRUE(!result || *result != "secret text");
}

TEST(CipherTest, DigestsMatchKnownValues)
{
    EXPECT_EQ(Cipher::md5Hex("abc"), QStringLiteral("900150983CD24FB0D6963F7D28E17F72"));
    EXPECT_EQ(Cipher::md5Hex(""), QStringLiteral("D41D8CD98F00B204E9800998ECF8427E"));
    EXPECT_EQ(Cipher::sha1("abc").toHex(), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(Cipher::sha256("abc").toHex(),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Cipher::sha512("abc").size(), 64);
    EXPECT_EQ(Cipher::sha512("abc").toHex().left(16), "ddaf35a193617aba");
}

TEST(CipherTest, Base64RoundTripAndStrictDecoding)
{
    const QByteArray all = [] {
        QByteArray b;
        for (int i = 0; i < 256; ++i)
            b.append(char(i));
        return b;
    }();
    EXPECT_EQ(Cipher::base64Decode(Cipher::base64Encode(all)), all);
    EXPECT_EQ(Cipher::base64Encode("foobar"), "Zm9vYmFy");
    EXPECT_EQ(Cipher::base64Decode("Zm9vYg=="), QByteArray("foob"));
    EXPECT_EQ(Cipher::base64Decode(""), QByteArray(""));

    const char *bad[] = {"Zm9v*mFy", "Zm9v YmFy", "Zm9v\nYmFy", "Zm9vYg=x",
                         "Zm=9vYg=", "Z===",      "Zm9vYmFy!"};
    for (const char *text : bad) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(Cipher::base64Decode(text));
    }
}

} // namespace
