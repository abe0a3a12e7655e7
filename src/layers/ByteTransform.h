#pragma once
// A reversible byte transform: each byte b becomes b plus an addend chosen by b mod 4 (mod 256).
// The addends are multiples of 4, so the low two bits, and with them the addend, survive: the
// back transform subtracts the same addend.

#include <QString>

void TransformBytesForward(unsigned char *bytes, int length);
void TransformBytesBack(unsigned char *bytes, int length);

// Writes the transformed bytes of the source file to the destination. The destination is
// replaced only when the whole transform was written (a temporary file beside it is renamed over
// it), so the same path transforms the file in place and a failure keeps the old file. False
// when either path is empty, the source is not a readable regular file, or writing failed.
bool TransformFileForward(const QString &sourcePath, const QString &destinationPath);
bool TransformFileBack(const QString &sourcePath, const QString &destinationPath);
