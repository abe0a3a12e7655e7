// The name filters a user types for a folder compare (include, exclude, sub-folders), taken the
// way the start window takes them: tokens of the field, compiled as wildcards or as regular
// expressions, then matched against entry names. Besides not crashing or hanging on any pattern:
// a pattern that does not compile matches nothing; a regular expression that matches a whole
// name also matches somewhere in it; wildcards and plain names ignore the letter case of names.
//
// Input: byte 0 holds the options (bit 0 regular expressions, bit 1 whole names); the rest is
// split at NUL bytes into the three fields and then the names.
#include "FuzzQuiet.h"
#include "compare/FileListCompareInfo.h"
#include "controls/TokenField.h"
#include "controls/TokenFilterLists.h"

#include <QApplication>
#include <cstddef>
#include <cstdint>

namespace {

constexpr int kMaxNames = 24;

QString swapAsciiCase(const QString &name)
{
    QString out = name;
    for (QChar &c : out) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
        else if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return out;
}

void checkList(const FilterList &list, const QStringList &invalid, bool regex,
               const QStringList &names)
{
    for (const FilterToken &token : list) {
        if (token.invalid != invalid.contains(token.text))
            __builtin_trap(); // an invalid pattern not reported, or a valid one reported
        const FilterList one{token};
        for (const QString &name : names) {
            const bool anywhere = FilterList_Matches(one, name, false);
            const bool whole = FilterList_Matches(one, name, true);
            if (token.invalid && (anywhere || whole))
                __builtin_trap();
            if (whole && !anywhere)
                __builtin_trap();
            if (!regex && (FilterList_Matches(one, swapAsciiCase(name), false) != anywhere ||
                           FilterList_Matches(one, swapAsciiCase(name), true) != whole))
                __builtin_trap(); // letter case decided a wildcard or a plain name
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static int argc = 1;
    static char name[] = "folderfilter_fuzz";
    static char *argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: destroyed among the statics, it would outlive the storage of its
    // thread's font cache, which the leak check would then report at the replay's exit.
    static QApplication *app = new QApplication(argc, argv);
    (void)app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    if (size < 1 || size > 4096)
        return 0;
    const bool regex = data[0] & 1;
    const bool wholeNames = data[0] & 2;
    const QList<QByteArray> parts =
        QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)).split('\0');
    static TokenField *fields[3] = {new TokenField, new TokenField, new TokenField};
    for (int i = 0; i < 3; ++i) {
        fields[i]->setKeepCase(regex);
        fields[i]->setStringValue(i < parts.size() ? QString::fromUtf8(parts[i]) : QString());
    }
    QStringList names;
    for (qsizetype i = 3; i < parts.size() && names.size() < kMaxNames; ++i)
        if (!parts[i].isEmpty() && !parts[i].contains('/'))
            names << QString::fromUtf8(parts[i]);
    names << QStringLiteral("Makefile") << QStringLiteral("a.TXT") << QStringLiteral(".hidden");

    auto info = FileListCompareInfo::create();
    info->bIsRegex = regex;
    info->bIsRegex_bMatchWholeString = wholeNames;
    FilterList *lists[3] = {&info->filterIncludeExt, &info->filterExcludeExt,
                            &info->exclude_SubDir};
    const bool fileNames[3] = {true, true, false};
    for (int i = 0; i < 3; ++i) {
        bool none = false, all = false;
        const QStringList tokens =
            GenExtensionListFrom_NSTokenField(fields[i], fileNames[i], regex, &none, &all);
        *lists[i] = FilterListFromStrings(tokens);
        const QStringList invalid = FixFilterArray_AddNSPredicate_IfNeed(*lists[i], regex);
        checkList(*lists[i], invalid, regex, names);
    }
    for (const QString &name : names) {
        const bool file = info->acceptsFile(name);
        const bool folder = info->acceptsSubFolder(name);
        if (!regex && (info->acceptsFile(swapAsciiCase(name)) != file ||
                       info->acceptsSubFolder(swapAsciiCase(name)) != folder))
            __builtin_trap();
    }
    return 0;
}
