#include "themes/MyLanguageInfo.h"

#include "foundation/PelkoNSArray.h"
#include "foundation/PelkoNSString.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/UserDefaults.h"
#include "services/AppSetting.h"
#include "services/EncodedFile.h"
#include "services/FileUtility.h"
#include "themes/LanguageList.h"
#include "services/TextFile.h"
#include "services/Utility.h"

#include <QFileInfo>
#include <algorithm>
#include <numeric>

namespace {

const QString kNoneLanguage = QStringLiteral("(none)");
const QString kFileTypeKeyPrefix = QStringLiteral("lang_for_type_");

std::u16string toU16(const QString &s)
{
    return std::u16string(reinterpret_cast<const char16_t *>(s.utf16()), size_t(s.size()));
}

bool isOn(const QString &value)
{
    return value.compare(QStringLiteral("on"), Qt::CaseInsensitive) == 0;
}

// The value of "#Name=value": everything after the first "=", untrimmed.
QString valueAfterEquals(const QString &line)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : line.mid(eq + 1);
}

// A leading decimal integer, as colour numbers of definitions have always been read: 0 when
// there is none.
int intValue(const QString &text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        negative = t[i++] == QLatin1Char('-');
    qint64 value = 0;
    for (; i < t.size() && t[i].isDigit() && t[i].unicode() < 128; ++i) {
        value = value * 10 + (t[i].unicode() - '0');
        if (value > std::numeric_limits<int>::max())
            return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    return int(negative ? -value : value);
}

// "^" marks a marker that must start a line in other tools; the colourer matches it anywhere, so
// the marks are dropped unless nothing would remain.
QString stripCarets(const QString &value)
{
    if (value.size() < 2 || !value.contains(QLatin1Char('^')))
        return value;
    QString stripped = value;
    stripped.remove(QLatin1Char('^'));
    return stripped.isEmpty() ? value : stripped;
}

int compareUnits(const std::u16string &a, const std::u16string &b, bool noCase)
{
    return UniString_Compare(a.c_str(), b.c_str(), noCase);
}

} // namespace

std::shared_ptr<MyLanguageKeyWord> MyLanguageKeyWord::create()
{
    return std::make_shared<MyLanguageKeyWord>();
}

MyLanguageInfo::MyLanguageInfo()
{
    setupInfo();
}

MyLanguageInfo::~MyLanguageInfo()
{
    cleanMemory();
}

std::shared_ptr<MyLanguageInfo> MyLanguageInfo::create()
{
    return std::make_shared<MyLanguageInfo>();
}

std::shared_ptr<MyLanguageInfo> MyLanguageInfo::createFromFile(const QString &path, bool bEncode)
{
    auto info = create();
    if (!info->resetWithFile(path, bEncode)) {
        REPORT_FATAL();
        return nullptr;
    }
    return info;
}

void MyLanguageInfo::setupInfo()
{
    mHighlight = true;
    mSingleQuote = true;
    mDoubleQuote = true;
    mContinueQuote = false;
    mHighlightBraces = true;
    mDidResetAndSort = false;
    mEscape_c = 0;
    mName = QStringLiteral("");
    mNameShow = QStringLiteral("");
    mFilePath = QStringLiteral("");
}

void MyLanguageInfo::cleanMemory()
{
    mCommentBegin_c.clear();
    mCommentEnd_c.clear();
    mLineComment1_c.clear();
    mLineComment2_c.clear();
    mWordsCaseOff_c.clear();
    mWordsCaseON_c.clear();
    mWordsCaseOff.clear();
    mWordsCaseOff_keywords.clear();
    mWordsCaseON.clear();
    mWordsCaseON_keywords.clear();
    mSupportFileTypes.clear();
    mKeywords.clear();
    mName.clear();
    mNameShow.clear();
    mFilePath.clear();
    mBeginTag = mEndTag = QString();
    mCommentBegin = mCommentEnd = QString();
    mLineComment1 = mLineComment2 = QString();
    mEscape = mScriptBegin = mScriptEnd = mSpecialSyntax = QString();
    mDidResetAndSort = false;
}

void MyLanguageInfo::setCommentBegin_c(const QString &v)
{
    mCommentBegin_c = toU16(v);
}
void MyLanguageInfo::setCommentEnd_c(const QString &v)
{
    mCommentEnd_c = toU16(v);
}
void MyLanguageInfo::setLineComment1_c(const QString &v)
{
    mLineComment1_c = toU16(v);
}
void MyLanguageInfo::setLineComment2_c(const QString &v)
{
    mLineComment2_c = toU16(v);
}

bool MyLanguageInfo::resetWithFile(const QString &path, bool bEncode)
{
    cleanMemory();
    setupInfo();
    setFilePath(path);
    GUARD_BEGIN
    if (!IsFileExist(path)) {
        REPORT_FATAL();
        return false;
    }
    // Checked before anything is read: a huge file is not a language and would be read whole.
    if (const qint64 size = QFileInfo(path).size(); size > kMaxLanguageFileBytes) {
        platform::Log(lcThemes,
                      QStringLiteral("language file %1 refused: %2 bytes, more than the %3 allowed")
                          .arg(path)
                          .arg(size)
                          .arg(kMaxLanguageFileBytes));
        return false;
    }
    QString text;
    if (bEncode) {
        text = App_MyEncodeFile_Read(path);
        if (text.contains(QLatin1Char('\r'))) {
            platform::Log(lcThemes, QStringLiteral("filePath problem: %1").arg(path));
            REPORT_FATAL();
        }
    } else {
        platform::StringEncoding encoding = 0;
        text = ReadTextFileContent(path, &encoding, nullptr, nullptr, nullptr);
    }
    const bool ok = resetWithText(text, path, bEncode);
    setFilePath(path);
    return ok;
    GUARD_END(false)
}

bool MyLanguageInfo::resetWithText(const QString &rawText, const QString &fileName, bool bEncode)
{
    cleanMemory();
    setupInfo();
    GUARD_BEGIN
    QString text = rawText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (text.isEmpty() || lines.size() < 3) {
        REPORT_FATAL();
        return false;
    }

    mName = getFileNameNoExt(fileName);
    QString shown = mName.toLower();
    if (!bEncode)
        shown += QStringLiteral(" (*)imported");
    shown.replace(QStringLiteral("sharp"), QStringLiteral("#"));
    shown.replace(QStringLiteral("cpp"), QStringLiteral("c++"));
    shown.replace(QLatin1Char('_'), QLatin1Char(' '));
    mNameShow = shown;

    if (!parseLines(lines, fileName))
        return false;

    if (mKeywords.isEmpty()) {
        platform::Log(lcThemes, QStringLiteral("language [%1] has empty keywords").arg(mNameShow));
        REPORT_FATAL();
        return false;
    }
    if (!hasComment()) {
        platform::Log(lcThemes,
                      QStringLiteral("language [%1] does not has comment setting").arg(mNameShow));
        REPORT_FATAL();
    }
    return true;
    GUARD_END(false)
}

// The line loop: directives, keyword groups and their words. False only for a directive without
// "=", which makes the whole file fail.
bool MyLanguageInfo::parseLines(const QStringList &lines, const QString &fileName)
{
    GUARD_BEGIN
    qsizetype i = 0;
    while (i < lines.size()) {
        const QString &line = lines[i];
        const auto where = [&] { return QStringLiteral("line %1 of %2").arg(i + 1).arg(fileName); };
        if (line.size() < 2 || line.startsWith(QLatin1Char(';'))) {
            ++i;
            continue;
        }
        if (!line.startsWith(QLatin1Char('#'))) {
            // The line number only: the file's own text never goes into the log.
            platform::Log(lcThemes,
                          QStringLiteral("unsupport: %1 is not a directive").arg(where()));
            REPORT_FATAL();
            ++i;
            continue;
        }
        if (line.startsWith(QStringLiteral("#Keyword"))) {
            auto group = readKeywordHeader(line, where());
            ++i;
            for (; i < lines.size(); ++i) {
                const QString &word = lines[i];
                if (word.isEmpty() || word.startsWith(QLatin1Char(';')))
                    continue;
                if (word.startsWith(QLatin1Char('#')))
                    break; // read next as a directive
                group->keys().append(word);
            }
            mKeywords.append(group);
            continue;
        }
        if (!readDirective(line, where()))
            return false;
        ++i;
    }
    GUARD_END_VOID
    return true;
}

bool MyLanguageInfo::readDirective(const QString &line, const QString &where)
{
    if (!line.contains(QLatin1Char('='))) {
        REPORT_FATAL();
        return false;
    }
    const QString value = valueAfterEquals(line);
    auto is = [&line](const char *name) { return line.startsWith(QLatin1String(name)); };

    if (is("#HighlightBraces")) {
        mHighlightBraces = isOn(value);
    } else if (is("#Highlight")) {
        mHighlight = isOn(value);
    } else if (is("#BeginTag")) {
        mBeginTag = value;
    } else if (is("#SupportFileTypes")) {
        GUARD_BEGIN
        for (const QString &item : value.split(QLatin1Char(';'))) {
            const QString type = item.trimmed();
            if (!type.isEmpty())
                mSupportFileTypes.append(type.toLower());
        }
        GUARD_END_VOID
    } else if (is("#EndTag")) {
        mEndTag = value;
    } else if (is("#CommentBegin")) {
        if (!value.isEmpty()) {
            mCommentBegin = value;
            setCommentBegin_c(value);
        }
    } else if (is("#CommentEnd")) {
        if (!value.isEmpty()) {
            mCommentEnd = value;
            setCommentEnd_c(value);
        }
    } else if (is("#LineComment1")) {
        const QString marker = stripCarets(value);
        if (!marker.isEmpty()) {
            mLineComment1 = marker;
            setLineComment1_c(marker);
        }
    } else if (is("#LineComment2")) {
        const QString marker = stripCarets(value);
        if (!marker.isEmpty()) {
            mLineComment2 = marker;
            setLineComment2_c(marker);
        }
    } else if (is("#SingleQuote")) {
        mSingleQuote = isOn(value);
    } else if (is("#DoubleQuote")) {
        mDoubleQuote = isOn(value);
    } else if (is("#ContinueQuote")) {
        mContinueQuote = isOn(value);
    } else if (is("#Escape")) {
        mEscape = value;
        mEscape_c = value.isEmpty() ? 0 : char16_t(value[0].unicode());
    } else if (is("#ScriptBegin")) {
        mScriptBegin = value;
    } else if (is("#ScriptEnd")) {
        mScriptEnd = value;
    } else if (is("#SpecialSyntax")) {
        if (value.compare(QStringLiteral("off"), Qt::CaseInsensitive) != 0)
            mSpecialSyntax = value;
    } else {
        platform::Log(lcThemes, QStringLiteral("unsupport: %1: unknown directive").arg(where));
        REPORT_FATAL();
    }
    return true;
}

std::shared_ptr<MyLanguageKeyWord> MyLanguageInfo::readKeywordHeader(const QString &line,
                                                                     const QString &where)
{
    auto group = MyLanguageKeyWord::create();
    const QString rest = line.mid(8).trimmed();
    for (const QString &item : rest.split(QLatin1Char(','))) {
        if (item.indexOf(QLatin1Char('=')) < 1) {
            REPORT_FATAL();
            continue;
        }
        const QString value = valueAfterEquals(item);
        auto is = [&item](const char *key) { return item.startsWith(QLatin1String(key)); };
        if (is("color"))
            group->setColorIndex(intValue(value));
        else if (is("word"))
            group->setWord(isOn(value));
        else if (is("rightall2"))
            group->setRightall2(isOn(value));
        else if (is("rightall"))
            group->setRightall(isOn(value));
        else if (is("case"))
            group->setBCase(isOn(value));
        else if (is("insidetag"))
            group->setInsidetag(isOn(value));
        else if (is("regexp"))
            group->setRegexp(isOn(value));
        else if (is("cus"))
            ;
        else {
            platform::Log(
                lcThemes,
                QStringLiteral("keyword unsupport s3: %1: unknown group setting").arg(where));
            REPORT_FATAL();
        }
    }
    return group;
}

bool MyLanguageInfo::hasComment()
{
    if (mCommentBegin.isEmpty() != mCommentEnd.isEmpty()) {
        platform::Log(lcThemes,
                      QStringLiteral("language [%1] comment block is not ok").arg(mNameShow));
        REPORT_FATAL();
    }
    if (mLineComment1.isEmpty() && !mLineComment2.isEmpty()) {
        platform::Log(lcThemes,
                      QStringLiteral("language [%1] LineComment1 is null, LineComment2 is not")
                          .arg(mNameShow));
        REPORT_FATAL();
        std::swap(mLineComment1, mLineComment2);
    }
    return hasCommentBlock() || !mLineComment1.isEmpty() || !mLineComment2.isEmpty();
}

bool MyLanguageInfo::hasCommentBlock() const
{
    return !mCommentBegin.isEmpty() && !mCommentEnd.isEmpty();
}

QString MyLanguageInfo::hasCommentLine() const
{
    QString marker = !mLineComment1.isEmpty() ? mLineComment1 : mLineComment2;
    if (marker.isEmpty())
        return QString();
    if (marker.compare(QStringLiteral("rem"), Qt::CaseInsensitive) == 0)
        marker += QLatin1Char(' ');
    return marker;
}

void MyLanguageInfo::reset_and_sort_wordsCase()
{
    GUARD_BEGIN
    mWordsCaseON_c.clear();
    mWordsCaseOff_c.clear();
    mWordsCaseON.clear();
    mWordsCaseOff.clear();
    mWordsCaseON_keywords.clear();
    mWordsCaseOff_keywords.clear();

    for (const auto &group : std::as_const(mKeywords)) {
        if (!group || group->keys().isEmpty() || !group->word() || group->regexp())
            continue;
        const bool caseOn = group->bCase();
        QStringList &words = caseOn ? mWordsCaseON : mWordsCaseOff;
        auto &groups = caseOn ? mWordsCaseON_keywords : mWordsCaseOff_keywords;
        for (const QString &key : group->keys()) {
            const QString word = key.trimmed();
            if (word.isEmpty())
                continue;
            if (words.contains(word)) {
                platform::Log(lcThemes, QStringLiteral("%1 of language [%2] already has a word "
                                                       "listed again")
                                            .arg(caseOn ? QStringLiteral("wordsCaseON")
                                                        : QStringLiteral("wordsCaseOff"),
                                                 mNameShow));
                continue;
            }
            words.append(word);
            groups.append(group);
        }
    }

    // Sorted in the order the lookup bisects by: code units, and for the case-insensitive table
    // code units with A-Z folded.
    auto sortTable = [](QStringList &words, QList<std::shared_ptr<MyLanguageKeyWord>> &groups,
                        std::vector<std::u16string> &buffers, bool noCase) {
        std::vector<std::u16string> units;
        units.reserve(size_t(words.size()));
        for (const QString &w : std::as_const(words))
            units.push_back(toU16(w));
        std::vector<qsizetype> order(units.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
            return compareUnits(units[size_t(a)], units[size_t(b)], noCase) < 0;
        });
        QStringList sortedWords;
        QList<std::shared_ptr<MyLanguageKeyWord>> sortedGroups;
        buffers.clear();
        for (qsizetype i : order) {
            sortedWords.append(words[i]);
            sortedGroups.append(groups[i]);
            buffers.push_back(units[size_t(i)]);
        }
        words = sortedWords;
        groups = sortedGroups;
    };
    sortTable(mWordsCaseON, mWordsCaseON_keywords, mWordsCaseON_c, false);
    sortTable(mWordsCaseOff, mWordsCaseOff_keywords, mWordsCaseOff_c, true);
    mDidResetAndSort = true;
    GUARD_END_VOID
}

MyLanguageKeyWord *
MyLanguageInfo::searchTable(const std::vector<std::u16string> &words,
                            const QList<std::shared_ptr<MyLanguageKeyWord>> &groups,
                            const char16_t *word, bool noCase)
{
    const qsizetype count = qsizetype(words.size());
    if (count == 0)
        return nullptr;
    if (count != groups.size()) {
        REPORT_FATAL();
        return nullptr;
    }
    auto cmp = [&](qsizetype i) {
        return UniString_Compare(words[size_t(i)].c_str(), word, noCase);
    };
    if (count <= 3) {
        for (qsizetype i = 0; i < count; ++i)
            if (cmp(i) == 0)
                return groups[i].get();
        return nullptr;
    }
    int c = cmp(0);
    if (c == 0)
        return groups[0].get();
    if (c > 0)
        return nullptr;
    c = cmp(count - 1);
    if (c == 0)
        return groups[count - 1].get();
    if (c < 0)
        return nullptr;
    qsizetype low = 0, high = count - 1;
    for (;;) {
        const qsizetype mid = (low + high) / 2;
        if (mid == low || mid == high)
            return nullptr;
        c = cmp(mid);
        if (c == 0)
            return groups[mid].get();
        if (c > 0)
            high = mid;
        else
            low = mid;
    }
}

MyLanguageKeyWord *MyLanguageInfo::typeForWord(const char16_t *word)
{
    if (!word || word[0] == 0)
        return nullptr;
    if (!mDidResetAndSort)
        reset_and_sort_wordsCase();
    if (MyLanguageKeyWord *group = searchTable(mWordsCaseON_c, mWordsCaseON_keywords, word, false))
        return group;
    if (mWordsCaseON_c.size() != size_t(mWordsCaseON_keywords.size()))
        return nullptr;
    return searchTable(mWordsCaseOff_c, mWordsCaseOff_keywords, word, true);
}

std::shared_ptr<MyLanguageInfo> MyLanguageInfo::languageWith_nameShow(const QString &nameShow)
{
    GUARD_BEGIN
    if (nameShow.isEmpty() || nameShow.compare(kNoneLanguage, Qt::CaseInsensitive) == 0)
        return nullptr;
    for (const auto &language : std::as_const(gAppLanguageInfoList)) {
        if (!language) {
            REPORT_FATAL();
            continue;
        }
        if (language->nameShow().compare(nameShow, Qt::CaseInsensitive) == 0)
            return language;
    }
    REPORT_FATAL();
    GUARD_END(nullptr)
    return nullptr;
}

std::shared_ptr<MyLanguageInfo> MyLanguageInfo::languageWith_Setting(const AppSetting *setting)
{
    GUARD_BEGIN
    if (!setting) {
        REPORT_FATAL();
        setting = &gAppSetting;
    }
    QString name = APPSETTING_GET_STRING(*setting, bAutoHightLightText_WithLanguage);
    if (name.isEmpty())
        name = kNoneLanguage;
    return languageWith_nameShow(name);
    GUARD_END(nullptr)
}

std::shared_ptr<MyLanguageInfo> MyLanguageInfo::languageWith_fileType(const QString &fileType,
                                                                      bool bCanUseDefaultIfNotMap)
{
    GUARD_BEGIN
    const QString type = fileType.trimmed();
    if (!type.isEmpty()) {
        const QString key = kFileTypeKeyPrefix + type.toLower();
        const QString mapped = platform::UserDefaults::standard().stringForKey(key);
        if (!mapped.isEmpty()) {
            if (auto language = languageWith_nameShow(mapped))
                return language;
        }
        for (const auto &language : std::as_const(gAppLanguageInfoList)) {
            if (!language) {
                REPORT_FATAL();
                continue;
            }
            if (containsStringNoCase(language->supportFileTypes(), type)) {
                language->forceUseThisLanguageForFileType(type);
                return language;
            }
        }
    }
    GUARD_END_VOID
    return bCanUseDefaultIfNotMap ? languageWith_Setting(&gAppSetting) : nullptr;
}

void MyLanguageInfo::forceUseThisLanguageForFileType(const QString &fileType)
{
    GUARD_BEGIN
    const QString type = fileType.trimmed().toLower();
    if (mNameShow.isEmpty() || type.isEmpty()) {
        REPORT_FATAL();
        return;
    }
    auto &defaults = platform::UserDefaults::standard();
    defaults.setString(mNameShow, kFileTypeKeyPrefix + type);
    defaults.synchronize();
    GUARD_END_VOID
}
