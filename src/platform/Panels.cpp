#include "platform/Panels.h"

#include "platform/Log.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPalette>
#include <QWidget>
#include <algorithm>
#include <tuple>

namespace platform {

namespace {

std::function<QStringList(const OpenPanelRequest &)> gOpenHook;
std::function<QString(const SavePanelRequest &)> gSaveHook;

QStringList nameFilters(const QStringList &fileTypes)
{
    QStringList patterns;
    for (QString type : fileTypes) {
        type = type.trimmed();
        if (type.startsWith(QLatin1Char('.')))
            type.remove(0, 1);
        if (!type.isEmpty())
            patterns << QStringLiteral("*.") + type;
    }
    if (patterns.isEmpty())
        return {};
    return {patterns.join(QLatin1Char(' '))};
}

void prepareDialog(QFileDialog &dialog, const QString &title, const QString &directory,
                   const QStringList &fileTypes)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (!title.isEmpty())
        dialog.setWindowTitle(title);
    if (!directory.isEmpty())
        dialog.setDirectory(directory);
    const QStringList filters = nameFilters(fileTypes);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
}

// The file dialog cannot choose files and folders alike: in that mode its Open button takes the
// selection as it is (a folder included, or the shown folder when nothing is selected) instead of
// entering a selected folder; double-clicking a folder still enters it.
class OpenPanelDialog : public QFileDialog
{
public:
    explicit OpenPanelDialog(bool filesAndFolders) : mFilesAndFolders(filesAndFolders) {}

    QStringList chosen() const { return mFilesAndFolders ? mChosen : selectedFiles(); }

    void accept() override
    {
        if (!mFilesAndFolders) {
            QFileDialog::accept();
            return;
        }
        QStringList files = selectedFiles();
        if (files.isEmpty())
            files << directory().absolutePath();
        if (fileMode() == ExistingFile)
            files = files.mid(0, 1);
        for (const QString &file : files) {
            if (!QFileInfo::exists(file))
                return;
        }
        mChosen = files;
        QDialog::accept();
    }

private:
    bool mFilesAndFolders;
    QStringList mChosen;
};

// Red that keeps a contrast of 4.5:1 with the window colour: dark on light windows, light on
// dark ones.
QColor noteColor(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightnessF() < 0.5 ? QColor(0xff, 0x8a, 0x80)
                                                              : QColor(0xb0, 0x00, 0x00);
}

void addNote(QFileDialog &dialog, const QString &note, int width)
{
    auto *grid = qobject_cast<QGridLayout *>(dialog.layout());
    if (!grid || note.isEmpty())
        return;
    auto *label = new QLabel(note, &dialog);
    label->setObjectName(QStringLiteral("openPanelNote"));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    label->setContentsMargins(0, 2, 0, 2);
    label->setFixedHeight(28);
    label->setMinimumWidth(width);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, noteColor(dialog.palette()));
    label->setPalette(palette);
    // Above everything the dialog laid out: move its rows down by one.
    QList<std::tuple<QLayoutItem *, int, int, int, int>> items;
    while (grid->count() > 0) {
        int row, column, rowSpan, columnSpan;
        grid->getItemPosition(0, &row, &column, &rowSpan, &columnSpan);
        items.append({grid->takeAt(0), row, column, rowSpan, columnSpan});
    }
    const int columns = std::max(1, grid->columnCount());
    grid->addWidget(label, 0, 0, 1, columns);
    for (const auto &[item, row, column, rowSpan, columnSpan] : items)
        grid->addItem(item, row + 1, column, rowSpan, columnSpan);
}

} // namespace

void setOpenPanelHook(std::function<QStringList(const OpenPanelRequest &)> hook)
{
    gOpenHook = std::move(hook);
}

void setSavePanelHook(std::function<QString(const SavePanelRequest &)> hook)
{
    gSaveHook = std::move(hook);
}

QStringList runOpenPanel(const OpenPanelRequest &request)
{
    if (gOpenHook)
        return gOpenHook(request);
    if (!request.allowFiles && !request.allowFolders) {
        Log(QStringLiteral("ERROR open panel asked for neither files nor folders"));
        return {};
    }
    OpenPanelDialog dialog(request.allowFiles && request.allowFolders);
    prepareDialog(dialog, request.title, request.directory,
                  request.allowFiles ? request.fileTypes : QStringList());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!request.allowFiles) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
    } else {
        dialog.setFileMode(request.allowMulti ? QFileDialog::ExistingFiles
                                              : QFileDialog::ExistingFile);
    }
    if (!request.prompt.isEmpty())
        dialog.setLabelText(QFileDialog::Accept, request.prompt);
    // Read-only hides the dialog's "New Folder" button and menu entry.
    dialog.setOption(QFileDialog::ReadOnly, !request.canCreateFolders);
    addNote(dialog, request.note, request.noteWidth);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.chosen();
}

QString runSavePanel(const SavePanelRequest &request)
{
    if (gSaveHook)
        return gSaveHook(request);
    QFileDialog dialog;
    prepareDialog(dialog, request.title, request.directory, request.fileTypes);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!request.fileTypes.isEmpty()) {
        QString suffix = request.fileTypes.first().trimmed();
        if (suffix.startsWith(QLatin1Char('.')))
            suffix.remove(0, 1);
        dialog.setDefaultSuffix(suffix);
    }
    if (!request.nameField.isEmpty())
        dialog.selectFile(request.nameField);
    QWidget *const accessoryParent =
        request.accessory ? request.accessory->parentWidget() : nullptr;
    if (request.accessory) {
        // The non-native dialog lays itself out in a grid; the accessory goes below it.
        if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
            grid->addWidget(request.accessory, grid->rowCount(), 0, 1, grid->columnCount());
        // It is hidden while it waits with its owner (and after each use below): show it here.
        request.accessory->show();
    }
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (request.accessory) {
        // The accessory belongs to the caller: give it back to its own parent (which owns it)
        // before the dialog is destroyed.
        request.accessory->hide();
        request.accessory->setParent(accessoryParent);
    }
    if (!accepted)
        return QString();
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

} // namespace platform
