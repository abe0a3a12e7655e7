#pragma once
// Untitled texts kept from one session to the next. At quit, each untitled text compare window
// (two texts typed or pasted, no files) is written as a pair "backup_%03d_a.txt" and
// "backup_%03d_b.txt" (UTF-8 behind a byte-order mark; an empty text is an empty file) into the
// support folder's "backupRestore"; at the next start each pair reopens as an edited untitled
// window and is then removed. The folder is 0700 and the files 0600; a name taken by a link or
// anything but a regular file is never read, written through or removed.

#include <QList>
#include <QString>
#include <functional>

class MergeEditWndCtr;

inline constexpr int kBackupPairCount = 100; // indices 000 to 099

// gSupportFolder/backupRestore.
QString BackupRestoreFolder();
// The two files of a pair (side 1 or 2).
QString BackupPairPath(int index, int side);

// Writes the texts as a pair at the first free index (neither file there) and answers the index.
// -1 when both texts are empty (nothing to keep, nothing written); -2 when the pair could not be
// written (the folder cannot be made, every index is taken, or a write failed: then no half pair
// is left behind).
int backup_BlankTextWindow_For_NextSession(const QString &text1, const QString &text2);
// Removes the pair of that index (both files).
void RemoveBackupPair(int index);

// Makes a new empty untitled text compare window (shown); nullptr when it cannot be made.
using BlankEditFactory = std::function<MergeEditWndCtr *()>;

struct RestoreResult
{
    int restored = 0; // windows opened
    int kept = 0;     // pairs left on disk: unreadable, half pairs, or no window could be made
};
// A pair on disk that holds text to reopen.
struct BackupPair
{
    int index = -1;
    QString text1, text2;
};
// Reads every pair on disk, in index order: those holding text are answered; pairs whose two
// texts are empty are removed; half pairs and unreadable pairs are kept on disk, logged and
// counted in *kept (may be null). The folder is made when missing.
QList<BackupPair> ReadBackupPairs(int *kept);
// Opens the pair as an untitled window marked as edited and removes it from the disk. False when
// no window could be made: the pair stays on disk.
bool OpenBackupPair(const BackupPair &pair, const BlankEditFactory &createBlank);

// Reopens every pair on disk, in index order, as an untitled window marked as edited. A pair is
// removed once its window is open, or when both its texts are empty; anything else is kept for
// the next start and logged. The folder is made when missing.
RestoreResult restore_BlankTextWindow_For_LastSession(const BlankEditFactory &createBlank);
