#pragma once
// Document accessors that never fail.

#include <QString>

class QWidget;
namespace platform {
class Document;
}

// The document's window for sheets; nullptr with the broken-precondition report when it has none.
QWidget *window2(platform::Document *self);
// The document's file path; "" for an untitled document.
QString getFilePath(const platform::Document *self);
