#include "shell/UntitledBackup.h"

#include "foundation/PelkoNSString.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "services/FileUtility.h"
#include "services/SupportFolder.h"
#include "textcompare/MergeEditWndCtr.h"

#include <QFile>
#include <QSaveFile>

namespace {

const QByteArray kUtf8Mark("\xEF\xBB\xBF");

// The text behind the UTF-8 mark; an empty text is an empty file.
bool writeBackupText(const QString &text, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (!text.isEmpty()) {
        const QByteArray bytes = kUtf8Mark + text.toUtf8();
        if (file.write(bytes) != bytes.size()) {
            file.cancelWriting();
            return false;
        }
    }
    return file.commit();
}

bool pairSlotFree(int index)
{
    return !QFile::exists(BackupPairPath(index, 1)) && !QFile::exists(BackupPairPath(index, 2));
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
    if (!IsFolderExist(BackupRestoreFolder()) && !CreateFolder(BackupRestoreFolder())) {
        platform::Log(
            QStringLiteral("*** ERROR: cannot make the folder %1").arg(BackupRestoreFolder()));
        return -2;
    }
    for (int index = 0; index < kBackupPairCount; ++index) {
        if (!pairSlotFree(index))
            continue;
        if (writeBackupText(text1, BackupPairPath(index, 1)) &&
            writeBackupText(text2, BackupPairPath(index, 2)))
            return index;
        RemoveBackupPair(index);
        platform::Log(QStringLiteral("*** ERROR: cannot write the untitled texts to %1")
                          .arg(BackupPairPath(index, 1)));
        return -2;
    }
    REPORT_FATAL();
    platform::Log(QStringLiteral("*** ERROR: every one of the %1 backup pairs is taken")
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
    if (!IsFolderExist(BackupRestoreFolder())) {
        CreateFolder(BackupRestoreFolder());
    } else {
        for (int index = 0; index < kBackupPairCount; ++index) {
            const QString path1 = BackupPairPath(index, 1);
            const QString path2 = BackupPairPath(index, 2);
            const bool has1 = QFile::exists(path1), has2 = QFile::exists(path2);
            if (!has1 && !has2)
                continue;
            if (!has1 || !has2) {
                platform::Log(QStringLiteral("Backup pair %1 is incomplete; kept").arg(index));
                ++keptHere;
                continue;
            }
            BackupPair pair{index, stringWithContentsOfFileUtf8(path1),
                            stringWithContentsOfFileUtf8(path2)};
            if (pair.text1.isNull() || pair.text2.isNull()) {
                platform::Log(QStringLiteral("Backup pair %1 cannot be read; kept").arg(index));
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
        platform::Log(
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
    platform::Log(QStringLiteral("Restored the untitled texts of backup pair %1").arg(pair.index));
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
