// The record of a temporary file, as the next start finds it in "temporaries" after a kill (cut
// short, or edited by hand). The start removes the entry a record names, so this target only
// reads records and never removes: nothing is touched outside its own temporary folder. A record
// is taken only when it is exactly what the writer writes: its lines hold again the bytes read,
// the folder's path is absolute without NUL bytes, the name is one name, and an entry's type is
// a kind of file.
#include "FuzzInputFile.h"
#include "FuzzQuiet.h"
#include "services/TemporaryRecord.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray identityLine(const LeftTemporary::Identity &id, bool withType)
{
    QByteArray line = QByteArray::number(id.device) + ' ' + QByteArray::number(id.inode);
    if (withType)
        line += ' ' + QByteArray::number(id.type);
    return line + '\n';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    if (size > 64 * 1024)
        return 0;
    const std::optional<LeftTemporary> record = pelkofuzz::readAsFile<std::optional<LeftTemporary>>(
        data, size, "record",
        [](int fd, qint64 fileSize) { return ReadTemporaryRecord(fd, fileSize); });
    if (!record)
        return 0;
    if (!record->folderPath.startsWith('/') || record->folderPath.contains('\0'))
        __builtin_trap();
    if (record->name.isEmpty() || record->name.contains('/') || record->name.contains('\0') ||
        record->name == "." || record->name == "..")
        __builtin_trap();
    if (record->entry && (record->entry->type == 0 || (record->entry->type & ~quint64(S_IFMT))))
        __builtin_trap();
    // The lines taken, written again, are the bytes up to the last line end: a cut last line is
    // the only part left unread.
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QByteArray again = "pelko-temporary 1\n" + identityLine(record->folder, false) +
                       record->folderPath.toHex() + '\n' + record->name.toHex() + '\n';
    if (record->entry)
        again += identityLine(*record->entry, true);
    if (bytes.left(bytes.lastIndexOf('\n') + 1) != again)
        __builtin_trap();
    return 0;
}
