#pragma once
// A user's path or file name as alerts show it: on one line, and never able to pass for the
// application's own words.

#include <QString>

// The path as LocalPath_Shown gives it (bytes that are not UTF-8 as \xNN), with its line breaks,
// tabs, other control characters, line and paragraph separators and direction overrides shown as
// escapes (\n, \r, \t, \x01, \u2028, ...): a name can add no line to an alert, nor turn its text
// around.
QString ShownPath(const QString &path);
