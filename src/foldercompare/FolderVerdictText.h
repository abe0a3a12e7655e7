#pragma once
// The words the folder window and its preview use for verdicts and for how the pairs were
// judged, so the list, its status line, its legend and the preview say the same.

#include "compare/CompItem.h"

#include <QColor>
#include <QString>

// "Same", "Different", "Left only", ...
QString FolderVerdictText(int verdict);

// How a folder compare of that mode (0 size and date, 1 size, 2 date, 3 content) judged its
// pairs, for the status line: "Compared by size and date".
QString FolderCompareModeText(int mode, bool ignoreLineEnds);
// What a newcomer needs to know of that mode: which pairs it calls the same.
QString FolderCompareModeHelp(int mode);

// True for a pair of files the mode judged without reading their contents (by size, date or
// both), same or different.
bool FolderJudgedWithoutContent(const COMP_ITEM &item, int mode);
// The verdict as the preview and the row's tool tip state it: "Same by size and date: the
// contents were not compared" for a pair judged without its contents, else the verdict alone.
QString FolderVerdictNote(const COMP_ITEM &item, int mode);

// What a verdict's colour means, one line each (a legend of the row colours, in rich text):
// each verdict's name in its colour on the given background, and what it says.
QString FolderVerdictLegend(const QColor &background, const QColor &alternateBackground);
