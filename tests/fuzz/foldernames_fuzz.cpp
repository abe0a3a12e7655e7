// The folder compare's walk over names as a file system holds them: any bytes but "/" and NUL,
// UTF-8 or not, in folders of any depth. Every file made on either side is listed once under its
// very bytes, on the sides it is on, with the verdict its content gives; hidden names are left
// out when asked, and nothing is listed that was not made. Names that are not UTF-8 are shown
// escaped, and two different ones never look alike.
//
// Input: byte 0 holds the options (bit 0 leaves out hidden names); the rest is split at NUL bytes
// into relative paths. Path i is put on both sides with the same content, on both with different
// content, on the left only or on the right only, by i modulo 4.
#include "FuzzQuiet.h"
#include "compare/CompItem.h"
#include "compare/FolderCompareJob.h"
#include "platform/PrivateFiles.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <fcntl.h>
#include <map>
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

} // namespace

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

    auto request = FileListCompareInfo::create();
    request->mFolder1 = QFile::decodeName(top[0]) + u'/';
    request->mFolder2 = QFile::decodeName(top[1]) + u'/';
    request->folder_compare_Mode = 3;
    FolderCompareSettings settings;
    settings.request = request;
    settings.hideDotNames = data[0] & 1;
    const FolderCompareOutcome outcome = CompareFoldersAndWait(settings);
    if (outcome.cancelled || !outcome.rootError.isEmpty())
        __builtin_trap();

    std::map<QByteArray, int> listed;
    QSet<QString> shownNotText;
    for (const COMP_ITEM &item : outcome.items) {
        const QByteArray relative = CompItems_RelativePath(outcome.items, item.ID);
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
            const QString shown = CompItem_DisplayName(relative);
            if (shownNotText.contains(shown))
                __builtin_trap(); // two names that are not text look alike
            shownNotText.insert(shown);
        }
    }
    for (const auto &[relative, place] : files) {
        const bool expected = !(settings.hideDotNames && hidden(relative));
        if (listed.count(relative) != size_t(expected))
            __builtin_trap(); // a file made and not listed, or a hidden one listed
    }
    return 0;
}
