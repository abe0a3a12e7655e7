#pragma once
// The list of paths a sandboxed run may read (SandBox_GetAccesablePathList), filled from paths
// the user handed over.

#include <QString>
#include <QVariantList>

// Adds the path once when the run may read it; a path it may not read is reported.
void SandBox_AssignAccesablePath(const QString &path);
// Each file URL or path string of the list that names an existing item; other elements are
// skipped.
void SandBox_AssignAccesablePathFromFileList(const QVariantList &list);
