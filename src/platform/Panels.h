#pragma once
// Open and save panels (non-native file dialogs).

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace platform {

struct OpenPanelRequest
{
    QString title, directory, prompt;
    bool allowFiles = true, allowFolders = false, allowMulti = false;
    QStringList fileTypes; // extensions without the dot; empty allows every file
    // A red line above the file list telling what to choose (none when empty), at least
    // noteWidth wide.
    QString note;
    int noteWidth = 0;
    bool canCreateFolders = true;
};
// The chosen paths; empty on cancel.
QStringList runOpenPanel(const OpenPanelRequest &request);
void setOpenPanelHook(std::function<QStringList(const OpenPanelRequest &)> hook);

struct SavePanelRequest
{
    QString title, directory, nameField;
    QStringList fileTypes; // extensions without the dot; the first is added when none is typed
    QWidget *accessory = nullptr;
};
// The chosen path; a null QString on cancel.
QString runSavePanel(const SavePanelRequest &request);
void setSavePanelHook(std::function<QString(const SavePanelRequest &)> hook);

} // namespace platform
