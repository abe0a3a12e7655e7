// Syntax-language definitions from arbitrary files and text, and the colourer's scan of arbitrary
// text. A definition that is read finds every word it lists.
#include "FuzzQuiet.h"
#include "platform/Range.h"
#include "themes/LanguageColorInfo.h"
#include "themes/LanguageColorInfoDelegate.h"
#include "themes/MyLanguageInfo.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// Paints into a plain array, so that every painted range is checked against the text.
class ArrayDelegate : public LanguageColorInfoDelegate
{
public:
    explicit ArrayDelegate(const QString &text) : mKinds(size_t(text.size()) + 1, -1)
    {
        mDocument.setPlainText(text);
        mKinds.resize(size_t(std::max(0, mDocument.characterCount())), -1);
    }
    void setTextInRange(Range range, int colorIndex) override
    {
        if (range.location < 0 || range.length < 0 || MaxRange(range) > qint64(mKinds.size()))
            __builtin_trap(); // a range outside the text
        for (qint64 i = range.location; i < MaxRange(range); ++i)
            mKinds[size_t(i)] = colorIndex == 0 ? -1 : colorIndex;
    }
    void setCommentColorForTextInRange(Range range) override { setTextInRange(range, 999); }
    QTextDocument *getMyTextStorage() override { return &mDocument; }
    int paintedColorIndexAt(qint64 position) override
    {
        return position >= 0 && position < qint64(mKinds.size()) ? mKinds[size_t(position)] : -1;
    }

private:
    QTextDocument mDocument;
    std::vector<int> mKinds;
};

const char *kFallback = "#CommentBegin=/*\n#CommentEnd=*/\n#LineComment1=//\n#Escape=\\\n"
                        "#Keyword color=3\nint\nfor\n";

// Every plain word of every group is found again by the lookup the colourer uses.
void checkWordsAreFound(MyLanguageInfo &language)
{
    for (const auto &group : language.keywords()) {
        if (!group || !group->word() || group->regexp())
            continue;
        for (const QString &key : group->keys()) {
            const QString word = key.trimmed();
            if (word.isEmpty() || word.contains(QChar(0)))
                continue;
            const std::u16string units(reinterpret_cast<const char16_t *>(word.utf16()),
                                       size_t(word.size()));
            if (!language.typeForWord(units.c_str()))
                __builtin_trap(); // a listed word the sorted tables lost
        }
    }
}

// The bytes as a definition file a user imports, and as one of the bundle's enciphered ones.
void readAsFiles(const QByteArray &bytes)
{
    static QTemporaryDir dir;
    for (const bool encoded : {false, true}) {
        const QString path = dir.filePath(encoded ? QStringLiteral("Fuzz.esy")
                                                  : QStringLiteral("Fuzz_imported.txt"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size())
            return;
        file.close();
        if (auto language = MyLanguageInfo::createFromFile(path, encoded))
            checkWordsAreFound(*language);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    pelkofuzz::quiet();
    if (size > 200000)
        return 0;
    readAsFiles(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    auto language = MyLanguageInfo::create();
    language->resetWithText(text, QStringLiteral("Fuzz_cpp.esy"), false);
    if (language->resetWithText(text, QStringLiteral("Fuzz.myrsctx"), true))
        checkWordsAreFound(*language);
    else
        language->resetWithText(QString::fromLatin1(kFallback), QStringLiteral("F.myrsctx"), true);
    for (const QString &word : text.split(QLatin1Char(' '))) {
        const std::u16string units(reinterpret_cast<const char16_t *>(word.utf16()),
                                   size_t(word.size()));
        language->typeForWord(units.c_str());
    }

    ArrayDelegate delegate(text);
    LanguageColorInfo colourer;
    colourer.setLanguage(language);
    colourer.setDelegate(&delegate);
    const qint64 length = text.size();
    colourer.parseInRangeIfNeed(Range{0, length});
    colourer.parseInRangeIfNeed(Range{length / 2, length});
    colourer.shouldChangeTextInRange(Range{length / 3, length / 4}, QStringLiteral("x\ny"));
    colourer.documentContentsChanged(length / 2, 0, 0);
    colourer.parseInRangeIfNeed(Range{0, length});
    return 0;
}
