#pragma once
// One keyword group of a syntax language: its words and the colour index they are painted with.

#include <QStringList>
#include <memory>

class MyLanguageKeyWord
{
public:
    MyLanguageKeyWord() = default;
    static std::shared_ptr<MyLanguageKeyWord> create();

    bool word() const { return mWord; }
    void setWord(bool v) { mWord = v; }
    bool rightall() const { return mRightall; }
    void setRightall(bool v) { mRightall = v; }
    // The group's words are case-sensitive.
    bool bCase() const { return mCase; }
    void setBCase(bool v) { mCase = v; }
    bool insidetag() const { return mInsidetag; }
    void setInsidetag(bool v) { mInsidetag = v; }
    bool regexp() const { return mRegexp; }
    void setRegexp(bool v) { mRegexp = v; }
    bool rightall2() const { return mRightall2; }
    void setRightall2(bool v) { mRightall2 = v; }
    // The colour index (SYNTAX_COLOR_INDEX) of the group's words.
    int colorIndex() const { return mColorIndex; }
    void setColorIndex(int v) { mColorIndex = v; }
    // The words as read from the definition, untrimmed.
    const QStringList &keys() const { return mKeys; }
    QStringList &keys() { return mKeys; }
    void setKeys(const QStringList &v) { mKeys = v; }

private:
    bool mWord = true;
    bool mRightall = false;
    bool mCase = true;
    bool mInsidetag = false;
    bool mRegexp = false;
    bool mRightall2 = false;
    int mColorIndex = 0;
    QStringList mKeys;
};
