#pragma once
// Small judgements on whole files: image or not, byte-for-byte equality.

#include <QString>
#include <functional>

// True when the lower-cased extension names an image type, else when the file (of at least 30
// bytes) begins with a known image signature. Decides between the image and the text window.
bool IsImageFile(const QString &path);

// The compare window two paths open: two folders the folder window, two image files the image
// window, two other files the text window; anything else (a missing path, a folder with a file)
// none. The one decision of the command line, the paths handed over and the start window.
enum class PairWindow { None, Text, Image, Folder };
PairWindow CompareWindowForPaths(const QString &left, const QString &right);

// 1 when both files exist, have the same size and the same bytes (two empty files are equal),
// 0 otherwise; -1 when checkCancel is set and the compare was cancelled meanwhile. Both files are
// read as streams in blocks of 50,000 bytes.
int IsSameBinaryFile(const QString &pathA, const QString &pathB, bool checkCancel);

// The same for two files held open (services/HeldFile): 1 when both are regular files of the same
// size holding the same bytes, 0 otherwise, read by offset so that other readers of the same
// descriptors are not disturbed. The files that were opened are compared, whatever their names
// lead to now.
int IsSameOpenFile(int fdA, int fdB);

// The question "was the folder compare cancelled?" asked by IsSameBinaryFile between blocks;
// the folder compare installs it (nullptr: never cancelled).
void SetBinaryCompareCancelCheck(std::function<bool()> isCancelled);

// True when the lower-case extension (without the dot) names an image type; reads nothing.
bool IsImageFileExtension(const QString &extension);
