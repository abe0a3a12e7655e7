// A saved item of arbitrary name and content through the renaming pass, beside an item whose
// name the renaming could want: no item is lost or overwritten, no content changes, nothing
// appears outside the folder.
#include "FuzzQuiet.h"
#include "layers/SaveItemNames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    static QTemporaryDir root;
    if (!root.isValid() || size > 100000)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype split = bytes.indexOf('\0');
    const QByteArray rawName = split < 0 ? bytes : bytes.left(split);
    const QByteArray content = split < 0 ? QByteArray() : bytes.mid(split + 1);
    const QString name = QFile::decodeName(rawName.left(200));
    const QByteArray taken = "taken";
    if (content == taken)
        return 0;
    if (name.isEmpty() || name == u'.' || name == QStringLiteral("..") || name.contains(u'/') ||
        QFile::encodeName(name) != rawName.left(200))
        return 0;

    const QString folder = root.filePath(QStringLiteral("items"));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    // Where a name with a space at index 3 would go with every letter the pass gives: taken,
    // unless the fuzzer's first byte says otherwise.
    if (name.size() >= 5 && name.at(3) == u' ' && (rawName.at(0) & 1)) {
        for (const char *letter : {"A", "E", "F", "G"}) {
            const QString other =
                folder + u'/' + name.left(3) + QLatin1String(letter) + name.mid(4);
            QFile file(other);
            if (file.open(QIODevice::WriteOnly))
                file.write(taken);
        }
    }
    {
        QFile file(folder + u'/' + name);
        if (!file.open(QIODevice::WriteOnly))
            return 0;
        file.write(content);
    }
    const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                      QDir::System | QDir::NoDotAndDotDot);
    RefixSaveItemName(folder);
    const QStringList after = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                     QDir::System | QDir::NoDotAndDotDot);
    if (after.size() != before.size())
        std::abort();
    for (const QString &entry : before) {
        if (entry != name && (!after.contains(entry) || readAll(folder + u'/' + entry) != taken))
            std::abort(); // an item the pass had no business with changed
    }
    QStringList renamed;
    for (const QString &entry : after) {
        if (!before.contains(entry))
            renamed << entry;
    }
    const QString now = renamed.isEmpty() ? name : renamed.value(0);
    if (renamed.size() > 1 || (!renamed.isEmpty() && after.contains(name)) ||
        readAll(folder + u'/' + now) != content)
        std::abort();
    if (QDir(root.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) !=
        QStringList{QStringLiteral("items")})
        std::abort();
    return 0;
}
