#include "compare/FileListCompareInfo.h"

#include "platform/Guard.h"
#include "services/Alerts.h"
#include "services/AppSetting.h"
#include "services/Localization.h"

namespace {

bool hasWildcardCharacter(const QString &token)
{
    return token.contains(QLatin1Char('*')) || token.contains(QLatin1Char('?')) ||
           token.contains(QLatin1Char('['));
}

bool hasRegexCharacter(const QString &token)
{
    static const QString kSpecial = QStringLiteral(".*+?[](){}|^$\\");
    for (QChar c : token)
        if (kSpecial.contains(c))
            return true;
    return false;
}

void compileToken(FilterToken &token, bool regex)
{
    const auto options =
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption;
    QString pattern;
    if (regex) {
        pattern = token.text;
    } else {
        pattern = QRegularExpression::wildcardToRegularExpression(
            token.text.toLower(), QRegularExpression::UnanchoredWildcardConversion);
    }
    auto anywhere = std::make_shared<QRegularExpression>(pattern, options);
    auto whole =
        std::make_shared<QRegularExpression>(QRegularExpression::anchoredPattern(pattern), options);
    if (!anywhere->isValid() || !whole->isValid()) {
        token.invalid = true;
        token.predicate.reset();
        token.wholePredicate.reset();
        return;
    }
    anywhere->optimize();
    whole->optimize();
    token.invalid = false;
    if (regex) {
        token.predicate = std::move(anywhere);
        token.wholePredicate = std::move(whole);
    } else {
        // A wildcard always covers the whole name.
        token.predicate = whole;
        token.wholePredicate = std::move(whole);
    }
}

bool plainMatches(const QString &token, const QString &name)
{
    if (token.isEmpty())
        return false;
    if (token.startsWith(QLatin1Char('.')))
        return name.endsWith(token, Qt::CaseInsensitive);
    return name.compare(token, Qt::CaseInsensitive) == 0;
}

} // namespace

FilterList FilterListFromStrings(const QStringList &tokens)
{
    FilterList list;
    list.reserve(tokens.size());
    for (const QString &t : tokens)
        list.append(FilterToken(t));
    return list;
}

QStringList FixFilterArray_AddNSPredicate_IfNeed(FilterList &tokens, bool regex)
{
    QStringList invalid;
    GUARD_BEGIN
    for (FilterToken &token : tokens) {
        const bool pattern =
            regex ? hasRegexCharacter(token.text) : hasWildcardCharacter(token.text);
        if (!pattern) {
            token.predicate.reset();
            token.wholePredicate.reset();
            token.invalid = false;
            continue;
        }
        compileToken(token, regex);
        if (token.invalid)
            invalid.append(token.text);
    }
    GUARD_END(invalid)
    return invalid;
}

bool FixFilterArray_AddNSPredicate_IfNeed_WithAlert(FilterList &tokens, bool regex)
{
    const QStringList invalid = FixFilterArray_AddNSPredicate_IfNeed(tokens, regex);
    if (invalid.isEmpty())
        return true;
    ShowMessage2(L_(QStringLiteral("Error")), L_(QStringLiteral("Invalid regular expression:")) +
                                                  QStringLiteral("\n\n   ") +
                                                  invalid.join(QStringLiteral("\n   ")));
    return false;
}

bool FilterList_Matches(const FilterList &tokens, const QString &name, bool wholeString)
{
    for (const FilterToken &token : tokens) {
        if (token.invalid)
            continue;
        if (token.predicate) {
            const auto &re = wholeString ? *token.wholePredicate : *token.predicate;
            if (re.match(name).hasMatch())
                return true;
            continue;
        }
        if (plainMatches(token.text, name))
            return true;
    }
    return false;
}

std::shared_ptr<FileListCompareInfo> FileListCompareInfo::create()
{
    return std::make_shared<FileListCompareInfo>();
}

bool FileListCompareInfo::acceptsFile(const QString &name) const
{
    if (!filterIncludeExt.isEmpty() &&
        !FilterList_Matches(filterIncludeExt, name, bIsRegex_bMatchWholeString))
        return false;
    return !FilterList_Matches(filterExcludeExt, name, bIsRegex_bMatchWholeString);
}

bool FileListCompareInfo::acceptsSubFolder(const QString &name) const
{
    return !FilterList_Matches(exclude_SubDir, name, bIsRegex_bMatchWholeString);
}

std::shared_ptr<FileListCompareInfo> FileListCompareInfo_FromSettings(const QString &folder1,
                                                                      const QString &folder2)
{
    auto info = FileListCompareInfo::create();
    auto withSlash = [](QString p) {
        if (!p.endsWith(QLatin1Char('/')))
            p += QLatin1Char('/');
        return p;
    };
    info->mFolder1 = withSlash(folder1);
    info->mFolder2 = withSlash(folder2);
    info->folder_compare_ignore_EndLineDiff = gAppSetting.folder_compare_ignore_EndLineDiff != 0;
    const qint32 mode = gAppSetting.folder_compare_Mode;
    info->folder_compare_Mode = qBound(0, int(mode), 3);
    info->compareSubFolder = gAppSetting.compareSubFolder != 0;
    info->bIsRegex = gAppSetting.searchString_regex != 0;
    info->bIsRegex_bMatchWholeString = gAppSetting.searchString_regex_matchWholeString != 0;
    info->preferEncoding = platform::StringEncoding(gAppSetting.open_preferEncode);
    return info;
}
