#include "controls/NSTextViewPasteNormal.h"

#include "platform/Guard.h"

#include <QMimeData>
#include <QSet>
#include <QTextDocumentFragment>
#include <vector>

namespace {

const QStringList kRtfTypes = {QStringLiteral("text/rtf"), QStringLiteral("application/rtf"),
                               QStringLiteral("text/richtext")};

// Groups whose content is no text of the document.
bool isSkippedDestination(const QByteArray &word)
{
    static const QSet<QByteArray> kSkipped = {"fonttbl",
                                              "colortbl",
                                              "stylesheet",
                                              "info",
                                              "pict",
                                              "header",
                                              "footer",
                                              "headerl",
                                              "headerr",
                                              "footerl",
                                              "footerr",
                                              "object",
                                              "themedata",
                                              "datastore",
                                              "latentstyles",
                                              "listtable",
                                              "listoverridetable",
                                              "generator",
                                              "xmlnstbl",
                                              "rsidtbl",
                                              "filetbl",
                                              "revtbl",
                                              "bkmkstart",
                                              "bkmkend",
                                              "fldinst",
                                              "nonshppict"};
    return kSkipped.contains(word);
}

struct RtfGroup
{
    bool skip = false;
    int unicodeSkip = 1; // characters after \uN that stand in for it
};

class RtfReader
{
public:
    explicit RtfReader(const QByteArray &rtf) : mIn(rtf) {}

    QString read()
    {
        mGroups.push_back({});
        while (mPos < mIn.size()) {
            const char c = mIn.at(mPos++);
            if (c == '{') {
                mGroups.push_back(mGroups.back());
            } else if (c == '}') {
                if (mGroups.size() > 1)
                    mGroups.pop_back();
            } else if (c == '\\') {
                controlSequence();
            } else if (c != '\r' && c != '\n') {
                emitChar(QChar::fromLatin1(c));
            }
        }
        return mOut;
    }

private:
    RtfGroup &group() { return mGroups.back(); }

    void emitChar(QChar c)
    {
        if (mFallbackToSkip > 0) {
            --mFallbackToSkip;
            return;
        }
        if (!group().skip)
            mOut += c;
    }

    void controlSequence()
    {
        if (mPos >= mIn.size())
            return;
        const char c = mIn.at(mPos);
        if (!isAsciiLetter(c)) {
            ++mPos;
            controlSymbol(c);
            return;
        }
        const qsizetype start = mPos;
        while (mPos < mIn.size() && isAsciiLetter(mIn.at(mPos)))
            ++mPos;
        const QByteArray word = mIn.mid(start, mPos - start);
        bool hasNumber = false;
        long long number = 0;
        bool negative = false;
        if (mPos < mIn.size() && mIn.at(mPos) == '-') {
            negative = true;
            ++mPos;
        }
        while (mPos < mIn.size() && mIn.at(mPos) >= '0' && mIn.at(mPos) <= '9') {
            hasNumber = true;
            if (number < 1000000)
                number = number * 10 + (mIn.at(mPos) - '0');
            ++mPos;
        }
        if (negative)
            number = -number;
        if (mPos < mIn.size() && mIn.at(mPos) == ' ')
            ++mPos; // the delimiter belongs to the word
        controlWord(word, hasNumber, number);
    }

    void controlSymbol(char c)
    {
        switch (c) {
        case '\\':
        case '{':
        case '}':
            emitChar(QChar::fromLatin1(c));
            break;
        case '~':
            emitChar(QChar(0x00a0));
            break;
        case '_':
            emitChar(QChar(u'-'));
            break;
        case '*':
            group().skip = true; // an optional destination this reader does not know
            break;
        case '\'': {
            bool ok = false;
            const int byte = mIn.mid(mPos, 2).toInt(&ok, 16);
            mPos = std::min<qsizetype>(mPos + 2, mIn.size());
            if (ok)
                emitChar(QChar::fromLatin1(char(byte)));
            break;
        }
        case '\r':
        case '\n':
            emitChar(QChar(u'\n'));
            break;
        default:
            break;
        }
    }

    void controlWord(const QByteArray &word, bool hasNumber, long long number)
    {
        if (isSkippedDestination(word)) {
            group().skip = true;
        } else if (word == "par" || word == "line" || word == "row") {
            emitChar(QChar(u'\n'));
        } else if (word == "tab" || word == "cell") {
            emitChar(QChar(u'\t'));
        } else if (word == "uc" && hasNumber) {
            group().unicodeSkip = int(std::clamp<long long>(number, 0, 8));
        } else if (word == "u" && hasNumber) {
            const char16_t unit = char16_t(number < 0 ? number + 65536 : number);
            mFallbackToSkip = 0;
            emitChar(QChar(unit));
            mFallbackToSkip = group().unicodeSkip;
        }
    }

    static bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

    const QByteArray &mIn;
    qsizetype mPos = 0;
    std::vector<RtfGroup> mGroups;
    int mFallbackToSkip = 0;
    QString mOut;
};

} // namespace

QString NSTextViewPasteNormal::plainTextFromRtf(const QByteArray &rtf)
{
    return RtfReader(rtf).read();
}

QString NSTextViewPasteNormal::plainTextOf(const QMimeData *source)
{
    if (!source)
        return QString();
    if (source->hasText())
        return source->text();
    if (source->hasHtml())
        return QTextDocumentFragment::fromHtml(source->html()).toPlainText();
    for (const QString &type : kRtfTypes) {
        if (source->hasFormat(type)) {
            const QString text = plainTextFromRtf(source->data(type));
            return text.isNull() ? QStringLiteral("") : text;
        }
    }
    return QString();
}

bool NSTextViewPasteNormal::canInsertFromMimeData(const QMimeData *source) const
{
    return !plainTextOf(source).isNull() || QTextEdit::canInsertFromMimeData(source);
}

void NSTextViewPasteNormal::insertFromMimeData(const QMimeData *source)
{
    GUARD_BEGIN
    const QString text = plainTextOf(source);
    if (text.isNull()) {
        QTextEdit::insertFromMimeData(source);
        return;
    }
    textCursor().insertText(text);
    ensureCursorVisible();
    GUARD_END_VOID
}
