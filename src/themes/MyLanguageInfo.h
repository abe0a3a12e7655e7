#pragma once
// One syntax language: comment markers, quoting rules and keyword groups, read from a definition
// file, with the lookups that map files and names to languages and words to keyword groups.
//
// Definition file: lines of text. ";" starts a comment line, "#Name=value" is a directive
// (#Highlight, #HighlightBraces, #SingleQuote, #DoubleQuote, #ContinueQuote, #BeginTag, #EndTag,
// #SupportFileTypes, #CommentBegin, #CommentEnd, #LineComment1, #LineComment2, #Escape,
// #ScriptBegin, #ScriptEnd, #SpecialSyntax), and "#Keyword color=N,case=on,..." opens a keyword
// group whose words follow one per line until the next "#" line.

#include "themes/MyLanguageKeyWord.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

struct AppSetting;

// Language definitions are a few kilobytes; a larger file is not one.
inline constexpr qint64 kMaxLanguageFileBytes = 4 * 1024 * 1024;

class MyLanguageInfo
{
public:
    MyLanguageInfo();
    ~MyLanguageInfo();
    MyLanguageInfo(const MyLanguageInfo &) = delete;
    MyLanguageInfo &operator=(const MyLanguageInfo &) = delete;

    static std::shared_ptr<MyLanguageInfo> create();
    // A definition read from a file: bEncode for the application's enciphered ".myrsctx" form,
    // otherwise plain text in any encoding (".esy"). nullptr when the file does not parse.
    static std::shared_ptr<MyLanguageInfo> createFromFile(const QString &path, bool bEncode);

    // Forgets everything and reads the file again; false when it does not parse.
    // Files larger than kMaxLanguageFileBytes are refused before they are read.
    bool resetWithFile(const QString &path, bool bEncode);
    // The parsing step alone, on text already read; fileName gives name and nameShow.
    bool resetWithText(const QString &text, const QString &fileName, bool bEncode);

    void setupInfo();
    void cleanMemory();

    // Lookups over gAppLanguageInfoList; nullptr when nothing matches.
    static std::shared_ptr<MyLanguageInfo> languageWith_fileType(const QString &fileType,
                                                                 bool bCanUseDefaultIfNotMap);
    static std::shared_ptr<MyLanguageInfo> languageWith_nameShow(const QString &nameShow);
    static std::shared_ptr<MyLanguageInfo> languageWith_Setting(const AppSetting *setting);

    // Remembers this language as the user's choice for the extension ("lang_for_type_<ext>").
    void forceUseThisLanguageForFileType(const QString &fileType);

    bool hasComment();
    bool hasCommentBlock() const;
    // The line-comment marker, or a null string when there is none.
    QString hasCommentLine() const;

    void reset_and_sort_wordsCase();
    // The keyword group of a zero-terminated word; nullptr when it is no keyword.
    MyLanguageKeyWord *typeForWord(const char16_t *word);

    // Fields.
    bool Highlight() const { return mHighlight; }
    void setHighlight(bool v) { mHighlight = v; }
    bool SingleQuote() const { return mSingleQuote; }
    void setSingleQuote(bool v) { mSingleQuote = v; }
    bool DoubleQuote() const { return mDoubleQuote; }
    void setDoubleQuote(bool v) { mDoubleQuote = v; }
    bool ContinueQuote() const { return mContinueQuote; }
    void setContinueQuote(bool v) { mContinueQuote = v; }
    bool HighlightBraces() const { return mHighlightBraces; }
    void setHighlightBraces(bool v) { mHighlightBraces = v; }
    bool bDidResetAndSort() const { return mDidResetAndSort; }
    char16_t Escape_c() const { return mEscape_c; }
    void setEscape_c(char16_t v) { mEscape_c = v; }

    const QString &name() const { return mName; }
    void setName(const QString &v) { mName = v; }
    const QString &nameShow() const { return mNameShow; }
    void setNameShow(const QString &v) { mNameShow = v; }
    const QString &filePath() const { return mFilePath; }
    void setFilePath(const QString &v) { mFilePath = v; }
    const QString &BeginTag() const { return mBeginTag; }
    void setBeginTag(const QString &v) { mBeginTag = v; }
    const QString &EndTag() const { return mEndTag; }
    void setEndTag(const QString &v) { mEndTag = v; }
    const QString &CommentBegin() const { return mCommentBegin; }
    void setCommentBegin(const QString &v) { mCommentBegin = v; }
    const QString &CommentEnd() const { return mCommentEnd; }
    void setCommentEnd(const QString &v) { mCommentEnd = v; }
    const QString &LineComment1() const { return mLineComment1; }
    void setLineComment1(const QString &v) { mLineComment1 = v; }
    const QString &LineComment2() const { return mLineComment2; }
    void setLineComment2(const QString &v) { mLineComment2 = v; }
    const QString &Escape() const { return mEscape; }
    void setEscape(const QString &v) { mEscape = v; }
    const QString &ScriptBegin() const { return mScriptBegin; }
    void setScriptBegin(const QString &v) { mScriptBegin = v; }
    const QString &ScriptEnd() const { return mScriptEnd; }
    void setScriptEnd(const QString &v) { mScriptEnd = v; }
    const QString &SpecialSyntax() const { return mSpecialSyntax; }
    void setSpecialSyntax(const QString &v) { mSpecialSyntax = v; }

    // The scanner's zero-terminated copies of the markers; nullptr when the marker is not set.
    const char16_t *CommentBegin_c() const { return bufferOf(mCommentBegin_c); }
    const char16_t *CommentEnd_c() const { return bufferOf(mCommentEnd_c); }
    const char16_t *LineComment1_c() const { return bufferOf(mLineComment1_c); }
    const char16_t *LineComment2_c() const { return bufferOf(mLineComment2_c); }
    void setCommentBegin_c(const QString &v);
    void setCommentEnd_c(const QString &v);
    void setLineComment1_c(const QString &v);
    void setLineComment2_c(const QString &v);

    const QStringList &supportFileTypes() const { return mSupportFileTypes; }
    QStringList &supportFileTypes() { return mSupportFileTypes; }
    const QList<std::shared_ptr<MyLanguageKeyWord>> &keywords() const { return mKeywords; }
    QList<std::shared_ptr<MyLanguageKeyWord>> &keywords() { return mKeywords; }

    // The word tables (built by reset_and_sort_wordsCase): words sorted, with their groups.
    const QStringList &wordsCaseON() const { return mWordsCaseON; }
    const QStringList &wordsCaseOff() const { return mWordsCaseOff; }
    const QList<std::shared_ptr<MyLanguageKeyWord>> &wordsCaseON_keywords() const
    {
        return mWordsCaseON_keywords;
    }
    const QList<std::shared_ptr<MyLanguageKeyWord>> &wordsCaseOff_keywords() const
    {
        return mWordsCaseOff_keywords;
    }

private:
    bool parseLines(const QStringList &lines, const QString &fileName);
    // where: "line N of FILE", for the log, which never gets the file's own text.
    bool readDirective(const QString &line, const QString &where);
    std::shared_ptr<MyLanguageKeyWord> readKeywordHeader(const QString &line, const QString &where);
    static const char16_t *bufferOf(const std::u16string &b)
    {
        return b.empty() ? nullptr : b.c_str();
    }
    static MyLanguageKeyWord *searchTable(const std::vector<std::u16string> &words,
                                          const QList<std::shared_ptr<MyLanguageKeyWord>> &groups,
                                          const char16_t *word, bool noCase);

    bool mHighlight = true;
    bool mSingleQuote = true;
    bool mDoubleQuote = true;
    bool mContinueQuote = false;
    bool mHighlightBraces = true;
    bool mDidResetAndSort = false;
    char16_t mEscape_c = 0;
    QString mName;
    QString mNameShow;
    QString mFilePath;
    QString mBeginTag, mEndTag;
    QString mCommentBegin, mCommentEnd;
    QString mLineComment1, mLineComment2;
    std::u16string mCommentBegin_c, mCommentEnd_c, mLineComment1_c, mLineComment2_c;
    QString mEscape;
    QString mScriptBegin, mScriptEnd;
    QString mSpecialSyntax;
    QStringList mSupportFileTypes;
    QList<std::shared_ptr<MyLanguageKeyWord>> mKeywords;
    std::vector<std::u16string> mWordsCaseOff_c;
    QList<std::shared_ptr<MyLanguageKeyWord>> mWordsCaseOff_keywords;
    QStringList mWordsCaseOff;
    std::vector<std::u16string> mWordsCaseON_c;
    QList<std::shared_ptr<MyLanguageKeyWord>> mWordsCaseON_keywords;
    QStringList mWordsCaseON;
};
