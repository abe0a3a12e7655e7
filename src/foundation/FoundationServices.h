#pragma once
// The foundation sits below the services, yet a few of its helpers want what only the services
// know: the translation table and their file tests. The services install both at start; until
// then the foundation answers with the English text and plain file-system checks.

#include <QString>

struct FoundationServices
{
    QString (*translate)(const QString &english) = nullptr;
    bool (*fileExists)(const QString &path) = nullptr;
    bool (*folderExists)(const QString &path) = nullptr;
};

// Replaces the installed services; a null member falls back to the built-in answer.
void InstallFoundationServices(const FoundationServices &services);

QString FoundationTranslate(const QString &english);
bool FoundationFileExists(const QString &path);
bool FoundationFolderExists(const QString &path);
