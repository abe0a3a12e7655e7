#pragma once
// Buffer helpers below the effects: a patterned border, a two-colour recolouring by brightness,
// and a black-and-white picture turned into a cropped one with a transparent key colour.

#include "graphics/ImageData.h"

// A new buffer (w + 2b) x (h + 2b), b the pattern's height: the pattern's rows run round the
// edge (row 0 outermost, corners mitred) and the source sits inside. Null for a missing or empty
// argument or a refused size.
ImageDataPtr AddPatternBorder(const ImageData *source, const ImageData *pattern);

// In place, on every pixel of alpha 3 or more: the colour between dark (black) and light
// (white) by (r + g + b) / 765 of its straight colour; alpha stays. Words above 32 bits count as
// 0. The new image of the buffer; null for no buffer.
platform::ImagePtr ApplyColorToImage(ImageData *data, quint64 dark, quint64 light);

// Reads the image file at source, clears every pixel within tolerance (sum of the three channel
// differences) of the key colour, crops to what remains and writes it as TIFF to destination
// (atomically). True only when the file is in place; false for no key (above 32 bits), an
// unreadable source, nothing left, or a failed write.
bool GenerateTransparentImageFromNormalBWImage(const QString &source, const QString &destination,
                                               quint64 key, double tolerance);
