#include "foundation/PelkoNSFileManager.h"

#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>

namespace {

struct DirCloser
{
    void operator()(DIR *dir) const { closedir(dir); }
};

// The name as text, or a null string when its bytes are not UTF-8.
QString decodeName(const char *name)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(name, static_cast<qsizetype>(std::strlen(name))));
    return decoder.hasError() ? QString() : text;
}

} // namespace

QStringList contentsOfDirectoryAtPath2(const QString &path, QString *error)
{
    QStringList names;
    if (error)
        error->clear();
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("empty path");
        return names;
    }
    // Read the raw names: Qt would turn bytes that are not UTF-8 into replacement characters.
    std::unique_ptr<DIR, DirCloser> dir(opendir(QFile::encodeName(path).constData()));
    if (!dir) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return names;
    }
    while (const dirent *entry = readdir(dir.get())) {
        const char *raw = entry->d_name;
        if (raw[0] == '\0' || std::strcmp(raw, ".") == 0 || std::strcmp(raw, "..") == 0)
            continue;
        const QString name = decodeName(raw);
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}
