// The folder compare window over names as a file system holds them: any bytes but "/" and NUL,
// UTF-8 or not, in folders of any depth, compared as the application compares them (the window,
// its settings taken from the preferences, its model). Every file made on either side is listed
// once under its very bytes, on the sides it is on, with the verdict its content gives; hidden
// names are left out when the preferences say so, and nothing is listed that was not made. Names
// that are not UTF-8 are shown escaped, and two different ones never look alike.
//
// Input: byte 0 holds the options (bit 0 turns on "Ignore hidden files"); the rest is split at
// NUL bytes into relative paths. Path i is put on both sides with the same content, on both with
// different content, on the left only or on the right only, by i modulo 4.
#include "FuzzQuiet.h"
#include "compare/CompItem.h"
#include "compare/FileListCompareInfo.h"
#include "foldercompare/FolderCompareModel.h"
#include "foldercompare/MergeFileListWndCtr.h"
#include "platform/PrivateFiles.h"
#include "services/AppSetting.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxPaths = 16;

enum Place { Same, Differ, LeftOnly, RightOnly };

bool makeFile(const QByteArray &top, const QByteArray &relative, const QByteArray &content)
{
    const QList<QByteArray> parts = relative.split('/');
    QByteArray path = top;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        path += '/' + parts[i];
        if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    const int fd =
        ::open((top + '/' + relative).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    return ::close(fd) == 0 && ok;
}

bool usable(const QByteArray &relative)
{
    if (relative.isEmpty())
        return false;
    for (const QByteArray &part : relative.split('/'))
        if (part.isEmpty() || part == "." || part == ".." || part.size() > 200)
            return false;
    return true;
}

bool hidden(const QByteArray &relative)
{
    for (const QByteArray &part : relative.split('/'))
        if (part.startsWith('.'))
            return true;
    return false;
}

// Shows the window over the two folders, as the start window opens it, and waits for the end of
// its compare; nullptr when the compare did not end (the caller stops).
std::unique_ptr<MergeFileListWndCtr> compareInWindow(const QByteArray &left,
                                                     const QByteArray &right, bool ignoreHidden)
{
    AppSetting_SetDefault(&gAppSetting);
    gAppSetting.folder_compare_Mode = 3; // full content
    gAppSetting.compareSubFolder = 1;
    gAppSetting.compare_folderViewMode = 0; // a list: every entry shows its relative path
    gAppSetting.bIgnore_MacHiddenFile = ignoreHidden ? 1 : 0;
    auto window = std::make_unique<MergeFileListWndCtr>();
    window->SetCompareInfoWith(
        FileListCompareInfo_FromSettings(QFile::decodeName(left), QFile::decodeName(right)));
    bool ended = false, cancelled = false;
    QObject::connect(window.get(), &MergeFileListWndCtr::compareFinished, [&](bool c) {
        ended = true;
        cancelled = c;
    });
    window->showWindow();
    QElapsedTimer clock;
    clock.start();
    while (!ended && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!ended || cancelled)
        return nullptr;
    return window;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // A window takes a widget application, and it stores its frame and columns in the user's
    // defaults: those of a home of its own, gone with the process.
    static QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()) + "/.config");
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()) + "/.local/share");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    static int argc = 1;
    static char name[] = "foldernames_fuzz";
    static char *argv[] = {name, nullptr};
    // Never destroyed: at exit it would outlive the windows' shared resources it tears down.
    static QApplication *app = new QApplication(argc, argv);
    (void)app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    if (size < 1 || size > 4096)
        return 0;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 0;
    // Qt cannot spell every name made here: the folder goes by its bytes.
    const struct Remove
    {
        QString path;
        ~Remove() { platform::RemoveTreeNoFollow(path); }
    } remove{dir.path()};
    const QByteArray top[2] = {QFile::encodeName(dir.path()) + "/L",
                               QFile::encodeName(dir.path()) + "/R"};
    if (::mkdir(top[0].constData(), 0700) != 0 || ::mkdir(top[1].constData(), 0700) != 0)
        return 0;

    // The files made, with their place; a path that would need a file as a folder, or a folder
    // as a file, is not made.
    std::map<QByteArray, Place> files;
    QSet<QByteArray> folders;
    const QList<QByteArray> paths =
        QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)).split('\0');
    for (const QByteArray &relative : paths) {
        if (files.size() >= size_t(kMaxPaths) || !usable(relative) || files.count(relative) ||
            folders.contains(relative))
            continue;
        bool clash = false;
        for (qsizetype at = relative.indexOf('/'); at >= 0; at = relative.indexOf('/', at + 1))
            clash = clash || files.count(relative.left(at));
        if (clash)
            continue;
        const Place place = Place(files.size() % 4);
        const bool left = place != RightOnly, right = place != LeftOnly;
        if ((left && !makeFile(top[0], relative, "content\n")) ||
            (right && !makeFile(top[1], relative, place == Differ ? "other\n" : "content\n")))
            return 0;
        files[relative] = place;
        for (qsizetype at = relative.indexOf('/'); at >= 0; at = relative.indexOf('/', at + 1))
            folders.insert(relative.left(at));
    }

    const bool ignoreHidden = data[0] & 1;
    const std::unique_ptr<MergeFileListWndCtr> window =
        compareInWindow(top[0], top[1], ignoreHidden);
    if (!window)
        __builtin_trap(); // the compare never ended, or stopped by itself
    const FolderCompareModel &model = *window->model();

    std::map<QByteArray, int> listed;
    QSet<QString> shownNotText;
    for (const COMP_ITEM &item : model.items()) {
        const QByteArray relative = model.relativePath(item.ID);
        if (item.isFolder()) {
            if (!folders.contains(relative))
                __builtin_trap(); // a folder nobody made
            continue;
        }
        const auto made = files.find(relative);
        if (made == files.end() || listed[relative]++ > 0)
            __builtin_trap(); // a file nobody made, or listed twice
        const Place place = made->second;
        const bool left = place != RightOnly, right = place != LeftOnly;
        if ((item.kind1 == Side_File) != left || (item.kind2 == Side_File) != right)
            __builtin_trap();
        const qint8 verdict = place == Same       ? COMP_RESULT_SAME
                              : place == Differ   ? COMP_RESULT_DIFFERENT
                              : place == LeftOnly ? COMP_RESULT_LEFT_ONLY
                                                  : COMP_RESULT_RIGHT_ONLY;
        if (item.compareResult != verdict)
            __builtin_trap();
        if (!CompItem_NameIsText(relative)) {
            const QString shown =
                model
                    .data(model.indexForId(item.ID, left ? FolderCompareModel::ColName1
                                                         : FolderCompareModel::ColName2))
                    .toString();
            if (shown.isEmpty())
                __builtin_trap(); // a listed file the window does not show
            if (shownNotText.contains(shown))
                __builtin_trap(); // two names that are not text look alike
            shownNotText.insert(shown);
        }
    }
    for (const auto &[relative, place] : files) {
        const bool expected = !(ignoreHidden && hidden(relative));
        if (listed.count(relative) != size_t(expected))
            __builtin_trap(); // a file made and not listed, or a hidden one listed
    }
    return 0;
}
