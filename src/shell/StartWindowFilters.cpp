#include "shell/StartWindowFilters.h"

#include <QRegularExpression>

namespace {

const QString kListA = QStringLiteral(
    ".txt ; .m ; .mm ; .h ; .hh ; .hxx ; .hpp ; .h++ ; .c ; .cl ; .cc ; .cxx ; .c++ ; .cp ; "
    ".cs ; .cpp ; .pch ; .swift");
const QString kListB = QStringLiteral(
    ".txt ; .m ; .mm ; .h ; .hh ; .hxx ; .hpp ; .h++ ; .c ; .cl ; .cc ; .cxx ; .c++ ; .cp ; "
    ".cs ; .cpp ; .pch ; .rb ; .sql ; .swift ; .strings ; .xib ; .storyboard ; .plist ; "
    ".pbxproj ; .xcconfig ; .java ; .js ; .jsx ; .sh");
const QString kListC = QStringLiteral(
    ".txt ; .html ; .xml ; .htm ; .plist ; .js ; .jsx ; .css ; .php ; .asp ; .json ; .svg");
const QString kListD = QStringLiteral(
    ".tiff ; .tif ; .png ; .svg ; .pdf ; .jpg ; .jpeg ; .jpe ; .jp2 ; .pct ; .pic ; .bmp ; "
    ".gif ; .psd ; .ico ; .icns");
const QString kListE = QStringLiteral(".txt ; .htm ; .html ; .xml ; .plist ; .css ; .js");

// A plain entry as stored: no blanks or tabs, tokens joined by the field's separator.
QString plainEntry(QString entry)
{
    entry.remove(QLatin1Char(' '));
    entry.remove(QLatin1Char('\t'));
    entry.replace(QLatin1Char(';'), kStartWindowFilterMiddleStr);
    return entry;
}

} // namespace

const std::array<StartWindowFilterField, 6> &StartWindowFilterFields()
{
    static const QString plainSeparators = QStringLiteral(";,:\\/\n\r");
    static const QString regexSeparators = QStringLiteral("\n\r");
    static const std::array<StartWindowFilterField, 6> fields = {{
        {"mTokenFilter_Include",
         QStringLiteral("mTokenFilter_Include.historyKey_3"),
         {QStringLiteral("none")},
         plainSeparators,
         QStringLiteral("*"),
         StartWindowFilterKind::ExtensionList,
         false},
        {"mTokenFilter_Exclude",
         QStringLiteral("mTokenFilter_Exclude.historyKey_3"),
         {QStringLiteral("*"), QStringLiteral("*.*"), QStringLiteral(".*")},
         plainSeparators,
         QStringLiteral("none"),
         StartWindowFilterKind::ExtensionList,
         false},
        {"mTokenSubFolder_Exclude",
         QStringLiteral("mTokenSubFolder_Exclude.historyKey_3"),
         {QStringLiteral("*")},
         plainSeparators,
         QStringLiteral("none"),
         StartWindowFilterKind::FolderNames,
         false},
        {"regex_mTokenFilter_Include",
         QStringLiteral("regex_mTokenFilter_Include.historyKey_3"),
         {QStringLiteral("none")},
         regexSeparators,
         QStringLiteral(".*"),
         StartWindowFilterKind::RegexExtensionList,
         true},
        {"regex_mTokenFilter_Exclude",
         QStringLiteral("regex_mTokenFilter_Exclude.historyKey_3"),
         {QStringLiteral(".*"), QStringLiteral("(.*?)")},
         regexSeparators,
         QStringLiteral("none"),
         StartWindowFilterKind::RegexExtensionList,
         true},
        {"regex_mTokenSubFolder_Exclude",
         QStringLiteral("regex_mTokenSubFolder_Exclude.historyKey_3"),
         {QStringLiteral(".*"), QStringLiteral("(.*?)")},
         regexSeparators,
         QStringLiteral("none"),
         StartWindowFilterKind::RegexFolderNames,
         true},
    }};
    return fields;
}

QString RegexFromExtensionList(const QString &list)
{
    QStringList items;
    for (const QString &piece : list.split(QLatin1Char(';'))) {
        QString item = piece.trimmed();
        if (item.startsWith(QLatin1Char('.')))
            item.remove(0, 1);
        if (!item.isEmpty())
            items << QRegularExpression::escape(item);
    }
    return QStringLiteral(".*\\.(") + items.join(QLatin1Char('|')) + QLatin1Char(')');
}

QStringList StartWindowReadyMadeEntries(StartWindowFilterKind kind)
{
    switch (kind) {
    case StartWindowFilterKind::ExtensionList:
        return {plainEntry(QStringLiteral(".ht* ; .xm* ; .c* ; .h* ; .m*")),
                plainEntry(kListA),
                plainEntry(kListB),
                plainEntry(kListC),
                plainEntry(kListD),
                plainEntry(kListE),
                QStringLiteral("ABC*"),
                QStringLiteral("*XYZ.txt"),
                QStringLiteral("ABC*XYZ.txt")};
    case StartWindowFilterKind::FolderNames:
        return {QStringLiteral(".git"),   QStringLiteral("*git"),  QStringLiteral("git*"),
                QStringLiteral("bin"),    QStringLiteral("build"), QStringLiteral("*build"),
                QStringLiteral("build*"), QStringLiteral("ABC*"),  QStringLiteral("ABC*XYZ")};
    case StartWindowFilterKind::RegexExtensionList:
        return {QStringLiteral(".*\\.m"),       RegexFromExtensionList(kListA),
                RegexFromExtensionList(kListB), RegexFromExtensionList(kListC),
                RegexFromExtensionList(kListD), RegexFromExtensionList(kListE),
                QStringLiteral("ABC.*"),        QStringLiteral(".*html"),
                QStringLiteral("ABC.*html")};
    case StartWindowFilterKind::RegexFolderNames:
        return {QStringLiteral("\\.git"),  QStringLiteral(".*git"), QStringLiteral("git.*"),
                QStringLiteral("bin"),     QStringLiteral("build"), QStringLiteral(".*build"),
                QStringLiteral("build.*"), QStringLiteral("ABC.*"), QStringLiteral("ABC.*XYZ")};
    }
    return {};
}
