// The backup pair of an untitled text window, as the next start finds it in "backupRestore"
// (written by an earlier version, cut by a full disk, or edited by hand). A pair is taken only
// when both files are UTF-8 (a leading byte-order mark is the writer's, and only one is taken
// off): then its texts are exactly those bytes, nothing lost or added. Anything else stays on
// disk as it was. Texts taken are written as a pair again and read back unchanged.
#include "FuzzQuiet.h"
#include "services/SupportFolder.h"
#include "shell/UntitledBackup.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace {

const QByteArray kMark("\xEF\xBB\xBF");

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(gone)");
}

// The text the file holds, when it is UTF-8 after the writer's mark.
std::optional<QString> textOf(QByteArray bytes)
{
    if (bytes.startsWith(kMark))
        bytes.remove(0, kMark.size());
    // A mark left after the writer's is a character of the text.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError() || text.toUtf8() != bytes)
        return std::nullopt;
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    static QTemporaryDir dir;
    static const bool prepared = dir.isValid() && PrepareSupportFolder(dir.path());
    if (!prepared || size < 1 || size > 8192)
        return 0;
    // Byte 0 splits the rest between the two files.
    const QByteArray rest(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const qsizetype cut = rest.size() * data[0] / 255;
    const QByteArray bytes[2] = {rest.left(cut), rest.mid(cut)};
    for (int side = 0; side < 2; ++side)
        if (!writeFile(BackupPairPath(0, side + 1), bytes[side]))
            return 0;

    int kept = -1;
    const QList<BackupPair> pairs = ReadBackupPairs(&kept);
    const std::optional<QString> texts[2] = {textOf(bytes[0]), textOf(bytes[1])};
    if (!texts[0] || !texts[1]) {
        // Not taken, and left as it was.
        if (!pairs.isEmpty() || kept != 1)
            __builtin_trap();
        for (int side = 0; side < 2; ++side)
            if (readFile(BackupPairPath(0, side + 1)) != bytes[side])
                __builtin_trap();
        RemoveBackupPair(0);
        return 0;
    }
    if (texts[0]->isEmpty() && texts[1]->isEmpty()) {
        // Nothing to reopen: the pair is removed.
        if (!pairs.isEmpty() || kept != 0 || QFile::exists(BackupPairPath(0, 1)))
            __builtin_trap();
        return 0;
    }
    if (pairs.size() != 1 || kept != 0 || pairs[0].index != 0 || pairs[0].text1 != *texts[0] ||
        pairs[0].text2 != *texts[1])
        __builtin_trap();
    RemoveBackupPair(0);

    // What was read goes out and comes back the same.
    if (backup_BlankTextWindow_For_NextSession(pairs[0].text1, pairs[0].text2) != 0)
        __builtin_trap();
    const QList<BackupPair> again = ReadBackupPairs(nullptr);
    if (again.size() != 1 || again[0].text1 != pairs[0].text1 || again[0].text2 != pairs[0].text2)
        __builtin_trap();
    RemoveBackupPair(0);
    return 0;
}
