#pragma once
// Copies of folder-compare entries from one side to the other. A file is written beside its
// target under a temporary name, given the source's permissions and modification time, and only
// then renamed over the target: a failed or stopped copy leaves the old target as it was and no
// temporary file behind. Links are copied as links; folders with their content.

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>

enum class CopyOutcome { Copied, Failed, Cancelled };

// Called for each item that could not be copied (path, reason); answers true to go on with the
// next item, false to stop.
using CopyFailureHandler = std::function<bool(const QByteArray &path, const QString &reason)>;

// Copies one file, link or folder (local file-system bytes). A folder is never copied into
// itself, and a folder never replaces a file nor a file a folder.
CopyOutcome CopyEntry(const QByteArray &source, const QByteArray &target,
                      const std::atomic<bool> *cancel, const CopyFailureHandler &onFailure);

// Makes the folder and the missing folders above it, by the bytes of the path (names that are
// not valid UTF-8 stay exactly as they are). True when the folder exists afterwards.
bool MakeFolderPath(const QByteArray &path);
