#pragma once
// Two one-pass scanners that cut a text into coloured runs for display: C-family source and
// HTML/XML. Fixed colours, independent of the editor's syntax colouring and of the themes.
//
// Each empties *out and appends one run per construct in text order; a null out does nothing, an
// empty text leaves it empty. A NUL character ends the scan. Character classes are ASCII, so every
// other character (accented letters, other digits, lone surrogates) falls into plain runs.

#include "layers/TEXT_BLOCK.h"

#include <QList>
#include <QStringView>

namespace colorruns {
inline constexpr quint64 kComment = 0x0B841BFF;
inline constexpr quint64 kPreprocessor = 0x89482EFF; // also an HTML character entity
inline constexpr quint64 kQuoted = 0xCD2D24FF;
inline constexpr quint64 kFunction = 0x34595DFF; // also a bracketed message head
inline constexpr quint64 kNumber = 0x5B2FD2FF;
inline constexpr quint64 kKeyword = 0xBC2E9FFF;
inline constexpr quint64 kTagHead = 0x0000FFFF;
inline constexpr quint64 kPlain = 0x000000FF;
} // namespace colorruns

void Parse_Color_C(QStringView text, QList<TEXT_BLOCK> *out);
void Parse_Color_HTML(QStringView text, QList<TEXT_BLOCK> *out);
