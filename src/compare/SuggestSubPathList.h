#pragma once
// Paths to suggest while a path is typed.

#include <QString>
#include <QStringList>

// Full paths of the entries that may complete the typed text; empty when there is nothing to
// suggest. A typed existing folder ending in "/" lists that folder; any other existing path gives
// nothing; otherwise the entries of the typed text's parent folder are searched. First come the
// entries whose full path starts with the typed text, then those whose name contains its last
// component, both ignoring letter case; in each group the folders come first, then the files,
// each in natural, case-aware order ("file2" before "file10"; "apple", "Banana", "cherry").
// ".DS_Store" (any letter case) and empty names are skipped.
QStringList SuggestSubPathList(const QString &typed);
