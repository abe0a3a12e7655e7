#pragma once
// Guessing the encoding of a text that carries no byte-order mark and is not UTF-8.

#include "platform/TextEncoding.h"

#include <QByteArray>

// UTF-16 without a mark, told by where its zero bytes fall: the high byte of every ASCII
// character (line ends, spaces, digits) is zero, and legacy encodings have no zero bytes at all.
// UTF16LE or UTF16BE when the bytes decode as such; 0 otherwise.
platform::StringEncoding DetectUnmarkedUTF16(const QByteArray &bytes);

// The encoding ICU's character-set detector finds most likely among the encodings the window
// offers, which decodes all of the bytes strictly; at equal confidence the user's locale
// encoding wins. 0 when no candidate fits.
platform::StringEncoding DetectTextEncodingWithICU(const QByteArray &bytes);

// The encoding of the user's locale (LC_CTYPE); 0 when it is not one of ours.
platform::StringEncoding LocaleTextEncoding();
