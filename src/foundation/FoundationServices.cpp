#include "foundation/FoundationServices.h"

#include <QFileInfo>
#include <atomic>

namespace {

// Function pointers, so installing them from the main thread while a worker reads is harmless.
std::atomic<QString (*)(const QString &)> gTranslate{nullptr};
std::atomic<bool (*)(const QString &)> gFileExists{nullptr};
std::atomic<bool (*)(const QString &)> gFolderExists{nullptr};

} // namespace

void InstallFoundationServices(const FoundationServices &services)
{
    gTranslate = services.translate;
    gFileExists = services.fileExists;
    gFolderExists = services.folderExists;
}

QString FoundationTranslate(const QString &english)
{
    if (auto translate = gTranslate.load())
        return translate(english);
    return english;
}

bool FoundationFileExists(const QString &path)
{
    if (auto test = gFileExists.load())
        return test(path);
    const QFileInfo info(path);
    return !path.isEmpty() && info.exists() && !info.isDir();
}

bool FoundationFolderExists(const QString &path)
{
    if (auto test = gFolderExists.load())
        return test(path);
    return !path.isEmpty() && QFileInfo(path).isDir();
}
