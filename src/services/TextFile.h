#pragma once
// Reading and writing text files with their encoding, byte-order mark, line ends and
// permissions, and the encoding lists of the pop-ups.

#include "platform/TextEncoding.h"
#include "services/FileReplace.h"
#include "services/NamedFile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariantList>

class QComboBox;

// Line-end kind of a text.
enum END_LINE_TYPE : int { END_LINE_LF = 0, END_LINE_CR = 1, END_LINE_CRLF = 2 };

// What a read found out about a text file.
struct TextFileInfo
{
    platform::StringEncoding encoding = 0; // the encoding the text was decoded with
    bool encodingSure = false;             // a byte-order mark, UTF-8 or the asked-for encoding
    bool hasBOM = false;
    END_LINE_TYPE endLine = END_LINE_LF; // the kind of the first line end (LF when none)
    bool mixedLineEnds = false;          // more than one kind of line end
    bool hasNulChar = false;
    int permissions = -1;  // POSIX mode bits (0644 ...); -1 when unknown
    FileIdentity identity; // what the path led to when the file was read
};

// Reads the file's text. With a non-zero *encoding the file is decoded with it (a matching
// byte-order mark is dropped); when it cannot be, or with 0, the encoding is detected: a
// byte-order mark, UTF-16 without a mark (by its zero bytes), strict UTF-8, the preferred
// encoding (when not 0), then the guess of ICU's detector among the offered encodings, then
// Windows Latin 1 and ISO Latin 1. A null string for a missing, unreadable or undecodable file;
// "" only for an empty one. Every out-pointer may be null.
QString ReadTextFileContent(const QString &path, platform::StringEncoding *encoding, bool *sure,
                            bool *hasBOM, int *permissions, platform::StringEncoding preferred = 0);

// The same, with everything the read found in *info (info->encoding is read as the asked-for
// encoding). A null string on failure, as above.
QString App_ReadTextFileContent(const QString &path, TextFileInfo *info,
                                platform::StringEncoding preferred = 0);

// The text of bytes already read, as ReadTextFileContent decodes a file's content.
QString App_DecodeTextBytes(const QByteArray &bytes, TextFileInfo *info,
                            platform::StringEncoding preferred = 0);

// How a text is written.
struct TextSaveOptions
{
    platform::StringEncoding encoding = platform::Encoding::UTF8;
    bool writeBOM = false;       // for the UTF-8, UTF-16 and UTF-32 encodings
    bool convertLineEnds = true; // every CRLF, CR and LF becomes endLine
    END_LINE_TYPE endLine = END_LINE_LF;
    int permissions = -1;    // POSIX mode bits; -1 keeps those of an existing file
    bool allowLossy = false; // unencodable characters become '?' instead of failing
};

// The bytes App_WriteStringToFile writes for the text; a null QByteArray when the text cannot
// be encoded (and lossy output is not allowed).
QByteArray App_EncodeTextBytes(const QString &text, const TextSaveOptions &options);

// Writes the text over the file as ReplaceFileContent does: its links, owner and group stay, and
// a failure leaves the old file as it was. NO when the text cannot be encoded or the file cannot
// be written; *failure (may be null) says why. With expected, only while the path leads to that
// file as ReplaceReadFileContent checks it; *written (may be null) then gets what it leads to.
bool App_WriteStringToFile(const QString &text, const QString &path, const TextSaveOptions &options,
                           FileWriteFailure *failure = nullptr,
                           const FileIdentity *expected = nullptr, FileIdentity *written = nullptr);

// The text of the bytes in the first of UTF-8, Shift-JIS, ASCII, Japanese EUC, Mac Roman,
// ISO Latin-1, non-lossy ASCII, ISO Latin-2, ISO-2022-JP and Symbol that decodes exactly those
// bytes; a null string for no bytes or when none does. *usedEncoding gets the one taken.
QString StringFromBytesTryEncodings(const QByteArray &bytes,
                                    platform::StringEncoding *usedEncoding = nullptr);

// Built once: two-element lists {display name, encoding number}, first {"Auto", 0}, then every
// available encoding in the platform's order.
const QList<QVariantList> &GetAllAvailableStringEncodings_Array_Name_Code();

// Fills the pop-up with every encoding (item data = encoding number) and selects the given one
// (0 selects "Auto"; an encoding not in the list also selects "Auto").
void SetupEncodingList(QComboBox *popup, platform::StringEncoding encoding);
// The encoding of the selected item; 0 for automatic, nothing selected or no pop-up.
platform::StringEncoding CurrentEncodingOfPopup(QComboBox *popup);
