#include "shell/UntitledBackup.h"

#include "foundation/PelkoNSString.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/PrivateFiles.h"
#include "services/FileUtility.h"
#include "services/SupportFolder.h"
#include "textcompare/MergeEditWndCtr.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

const QByteArray kUtf8Mark("\xEF\xBB\xBF");
// As large as a text the text window reads.
constexpr qint64 kMaxBackupBytes = qint64(512) << 20;

// The text behind the UTF-8 mark; an empty text is an empty file. Only a new private file is
// made: a name already taken by anything, a dangling link included, is never written through.
bool writeBackupText(const QString &text, const QString &path)
{
    const QByteArray bytes = text.isEmpty() ? QByteArray() : kUtf8Mark + text.toUtf8();
    QString why;
    if (platform::WriteNewPrivateFile(path, bytes, &why))
        return true;
    platform::LogWarning(lcShell,
                         QStringLiteral("*** ERROR: backup %1 not written: %2").arg(path, why));
    return false;
}

// A slot is free only when nothing at all stands under either name.
bool pairSlotFree(int index)
{
    return platform::EntryKindOf(BackupPairPath(index, 1)) == platform::EntryKind::Missing &&
           platform::EntryKindOf(BackupPairPath(index, 2)) == platform::EntryKind::Missing;
}

// The text of a backup file; null when it cannot be read (a link is never followed).
QString readBackupText(const QString &path)
{
    QString why;
    std::optional<QByteArray> bytes =
        platform::ReadRegularFileNoFollow(path, kMaxBackupBytes, &why);
    if (!bytes) {
        platform::Log(lcShell, QStringLiteral("Backup %1 not read: %2").arg(path, why));
        return QString();
    }
    if (bytes->startsWith(kUtf8Mark))
        bytes->remove(0, kUtf8Mark.size());
    // The writer's mark is off; a second one is the text's own first character.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(*bytes);
    if (decoder.hasError())
        return QString();
    return text.isNull() ? QStringLiteral("") : text;
}

bool makeBackupFolder()
{
    if (platform::MakePrivateFolder(BackupRestoreFolder()))
        return true;
    platform::LogWarning(
        lcShell,
        QStringLiteral("*** ERROR: cannot make the private folder %1").arg(BackupRestoreFolder()));
    return false;
}

} // namespace

QString BackupRestoreFolder()
{
    return gSupportFolder + QStringLiteral("/backupRestore");
}

QString BackupPairPath(int index, int side)
{
    return BackupRestoreFolder() +
           QString::asprintf("/backup_%03d_%s.txt", index, side == 1 ? "a" : "b");
}

int backup_BlankTextWindow_For_NextSession(const QString &text1, const QString &text2)
{
    GUARD_BEGIN
    if (text1.isEmpty() && text2.isEmpty())
        return -1;
    if (!makeBackupFolder())
        return -2;
    for (int index = 0; index < kBackupPairCount; ++index) {
        if (!pairSlotFree(index))
            continue;
        if (writeBackupText(text1, BackupPairPath(index, 1)) &&
            writeBackupText(text2, BackupPairPath(index, 2)))
            return index;
        RemoveBackupPair(index);
        platform::LogWarning(lcShell,
                             QStringLiteral("*** ERROR: cannot write the untitled texts to %1")
                                 .arg(BackupPairPath(index, 1)));
        return -2;
    }
    REPORT_FATAL();
    platform::LogWarning(lcShell,
                         QStringLiteral("*** ERROR: every one of the %1 backup pairs is taken")
                             .arg(kBackupPairCount));
    return -2;
    GUARD_END(-2)
}

void RemoveBackupPair(int index)
{
    QFile::remove(BackupPairPath(index, 1));
    QFile::remove(BackupPairPath(index, 2));
}

QList<BackupPair> ReadBackupPairs(int *kept)
{
    QList<BackupPair> pairs;
    int keptHere = 0;
    GUARD_BEGIN
    if (makeBackupFolder()) {
        for (int index = 0; index < kBackupPairCount; ++index) {
            const QString path1 = BackupPairPath(index, 1);
            const QString path2 = BackupPairPath(index, 2);
            const platform::EntryKind kind1 = platform::EntryKindOf(path1);
            const platform::EntryKind kind2 = platform::EntryKindOf(path2);
            const bool has1 = kind1 != platform::EntryKind::Missing;
            const bool has2 = kind2 != platform::EntryKind::Missing;
            if (!has1 && !has2)
                continue;
            // A link or anything else planted here is neither read nor removed.
            if ((has1 && kind1 != platform::EntryKind::RegularFile) ||
                (has2 && kind2 != platform::EntryKind::RegularFile)) {
                platform::Log(
                    lcShell,
                    QStringLiteral("Backup pair %1 holds an entry that is not a regular file "
                                   "(a link is never followed); not read, kept")
                        .arg(index));
                ++keptHere;
                continue;
            }
            if (!has1 || !has2) {
                platform::Log(lcShell,
                              QStringLiteral("Backup pair %1 is incomplete; kept").arg(index));
                ++keptHere;
                continue;
            }
            BackupPair pair{index, readBackupText(path1), readBackupText(path2)};
            if (pair.text1.isNull() || pair.text2.isNull()) {
                platform::LogWarning(
                    lcShell, QStringLiteral("Backup pair %1 cannot be read; kept").arg(index));
                ++keptHere;
                continue;
            }
            if (pair.text1.isEmpty() && pair.text2.isEmpty()) {
                RemoveBackupPair(index);
                continue;
            }
            pairs.append(std::move(pair));
        }
    }
    GUARD_END_VOID
    if (kept)
        *kept = keptHere;
    return pairs;
}

bool OpenBackupPair(const BackupPair &pair, const BlankEditFactory &createBlank)
{
    GUARD_BEGIN
    MergeEditWndCtr *window = createBlank ? createBlank() : nullptr;
    if (!window) {
        REPORT_FATAL();
        platform::LogWarning(
            lcShell,
            QStringLiteral("Backup pair %1: no window could be made; kept").arg(pair.index));
        return false;
    }
    window->setCompareTextToView1(pair.text1);
    window->setCompareTextToView2(pair.text2);
    window->RefreshCompare();
    // Edited and untitled, so the next quit keeps it again.
    window->setDocumentEdited(true);
    window->setMTextWasEdited1(true);
    window->setMTextWasEdited2(true);
    // Gone from the disk before the line says so: whoever reads the log sees the final state.
    RemoveBackupPair(pair.index);
    platform::Log(lcShell,
                  QStringLiteral("Restored the untitled texts of backup pair %1").arg(pair.index));
    return true;
    GUARD_END(false)
}

RestoreResult restore_BlankTextWindow_For_LastSession(const BlankEditFactory &createBlank)
{
    RestoreResult result;
    for (const BackupPair &pair : ReadBackupPairs(&result.kept)) {
        if (OpenBackupPair(pair, createBlank))
            ++result.restored;
        else
            ++result.kept;
    }
    return result;
}
