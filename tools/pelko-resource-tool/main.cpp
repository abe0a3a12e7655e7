// pelko-resource-tool: makes the application's enciphered resource files at build time.
//
//   pelko-resource-tool table SRC_DIR OUT_FILE   translation table from SRC_DIR/<code>.plist
//   pelko-resource-tool encipher IN OUT          any file into the enciphered form
//   pelko-resource-tool decipher IN OUT          back to plain bytes (for checking)
//
// Each SRC_DIR/<code>.plist is a property list dictionary { English text : translation } for the
// language <code>; the table is { code : that dictionary }, as a binary property list.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVariantMap>
#include <cstdio>

#include "platform/PropertyList.h"
#include "services/EncodedFile.h"

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "pelko-resource-tool: %s\n", qPrintable(message));
    return 1;
}

std::optional<QByteArray> readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

int makeTable(const QString &sourceDir, const QString &outFile)
{
    const QFileInfoList sources =
        QDir(sourceDir).entryInfoList({QStringLiteral("*.plist")}, QDir::Files, QDir::Name);
    QVariantMap table;
    for (const QFileInfo &info : sources) {
        const auto value = platform::readPropertyListFile(info.filePath());
        if (!value || value->typeId() != QMetaType::QVariantMap)
            return fail(QStringLiteral("%1: not a property-list dictionary").arg(info.filePath()));
        const QVariantMap entries = value->toMap();
        for (auto it = entries.cbegin(); it != entries.cend(); ++it)
            if (it.value().typeId() != QMetaType::QString)
                return fail(QStringLiteral("%1: the value of \"%2\" is not a string")
                                .arg(info.filePath(), it.key()));
        table.insert(info.completeBaseName(), entries);
    }
    const QByteArray plist = platform::dataFromPropertyList(table, platform::PlistFormat::Binary);
    if (plist.isEmpty())
        return fail(QStringLiteral("the table could not be serialised"));
    if (!App_MyEncodeFile_WriteData(outFile, plist))
        return fail(QStringLiteral("%1: cannot write").arg(outFile));
    return 0;
}

int encipher(const QString &in, const QString &out)
{
    const auto bytes = readFile(in);
    if (!bytes)
        return fail(QStringLiteral("%1: cannot read").arg(in));
    QDir().mkpath(QFileInfo(out).absolutePath());
    return App_MyEncodeFile_WriteData(out, *bytes)
               ? 0
               : fail(QStringLiteral("%1: cannot write").arg(out));
}

int decipher(const QString &in, const QString &out)
{
    const auto bytes = readFile(in);
    if (!bytes)
        return fail(QStringLiteral("%1: cannot read").arg(in));
    const auto plain = App_DecodeData(*bytes);
    if (!plain)
        return fail(QStringLiteral("%1: not an enciphered file").arg(in));
    return writeFile(out, *plain) ? 0 : fail(QStringLiteral("%1: cannot write").arg(out));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("table"))
        return makeTable(args[2], args[3]);
    if (args.size() == 4 && args[1] == QLatin1String("encipher"))
        return encipher(args[2], args[3]);
    if (args.size() == 4 && args[1] == QLatin1String("decipher"))
        return decipher(args[2], args[3]);
    std::fprintf(stderr, "usage: pelko-resource-tool table SRC_DIR OUT_FILE\n"
                         "       pelko-resource-tool encipher IN OUT\n"
                         "       pelko-resource-tool decipher IN OUT\n");
    return 2;
}
