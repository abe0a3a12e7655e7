#pragma once
// A plain-text editor that colours its text by a syntax language as it is shown, scrolled and
// edited: the LanguageColorInfoDelegate of a LanguageColorInfo, painting through SyntaxColorRuns.

#include "themes/LanguageColorInfo.h"
#include "themes/SyntaxColorRuns.h"

#include <QPlainTextEdit>
#include <QTimer>
#include <memory>

class TextCaret;

class SyntaxTextView : public QPlainTextEdit, public LanguageColorInfoDelegate
{
    Q_OBJECT
public:
    explicit SyntaxTextView(QWidget *parent = nullptr);
    ~SyntaxTextView() override;

    // A new language (nullptr: no colouring) forgets all colours.
    void setLanguage(const std::shared_ptr<MyLanguageInfo> &language);
    std::shared_ptr<MyLanguageInfo> language() const;
    LanguageColorInfo &colorInfo() { return *mColorInfo; }
    SyntaxColorRuns &colorRuns() { return *mRuns; }

    // The characters of the blocks shown in the viewport.
    Range visibleCharacterRange() const;
    // Colours what is shown now (what the deferred update does).
    void colorVisibleText();
    // Applies the current theme's colours to the view and its runs.
    void applyTheme();

    // LanguageColorInfoDelegate
    void setTextInRange(Range range, int colorIndex) override;
    void setCommentColorForTextInRange(Range range) override;
    QTextDocument *getMyTextStorage() override;
    int paintedColorIndexAt(qint64 position) override;

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void scheduleColoring();
    void onContentsChange(int position, int removed, int added);

    std::unique_ptr<LanguageColorInfo> mColorInfo;
    SyntaxColorRuns *mRuns = nullptr;
    TextCaret *mCaret = nullptr;
    QTimer mColorTimer;
};
