#pragma once
// The application's own enciphered files (translation table, syntax languages, themes):
// a magic header, a random IV and the AES-256 cipher text of the content.

#include <QByteArray>
#include <QString>
#include <optional>

// True when the bytes begin with the enciphered-file header.
bool IsAppEncodedData(const QByteArray &data);
// Enciphers bytes into the file form.
QByteArray App_EncodeData(const QByteArray &plain);
// Deciphers the file form; nullopt when the header is missing or the content does not decipher.
std::optional<QByteArray> App_DecodeData(const QByteArray &data);

// The text of an enciphered file; a file without the header is read as UTF-8 text. Null for a
// null or empty path, an unreadable file, or a damaged enciphered file.
QString App_MyEncodeFile_Read(const QString &path);
// Raw bytes of the same (null on the same failures).
QByteArray App_MyEncodeFile_ReadData(const QString &path);
// Writes text (UTF-8) enciphered, atomically; false on failure.
bool App_MyEncodeFile_Write(const QString &path, const QString &text);
bool App_MyEncodeFile_WriteData(const QString &path, const QByteArray &plain);
