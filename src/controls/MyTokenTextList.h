#pragma once
// A token field that remembers what the user entered before. Each history entry is the field's
// list of tokens of one use, kept newest first in the user defaults under a key the owner
// chooses. The owner's drop-down button lists the stored entries and puts the chosen one back;
// a small reset button inside the field's right end clears it. Entries holding a prohibited
// token are kept out of the history.

#include "controls/TokenField.h"

#include <QPointer>
#include <QStringList>

class QAbstractButton;
class QMenu;
class QToolButton;

class MyTokenTextList : public TokenField
{
    Q_OBJECT
public:
    explicit MyTokenTextList(QWidget *parent = nullptr);
    ~MyTokenTextList() override;

    // The separator of the entries in the stored history string.
    static const QString kHistorySeparator;
    // More entries than this are not loaded (so at most 101 come in).
    static constexpr int kLoadLimit = 100;

    void setupAfterInit();

    // The owner's button that opens the history menu (not owned).
    void setDropDownButton(QAbstractButton *button);
    QAbstractButton *mDropDownButton() const { return mDropDown; }
    QToolButton *mContenteResetButton() const { return mResetButton; }

    bool mIsClosing() const { return mClosing; }
    void setMIsClosing(bool closing) { mClosing = closing; }
    QString MIDDLE_STR() const { return mMiddleStr; }
    void setMIDDLE_STR(const QString &separator) { mMiddleStr = separator; }
    QString historyKey() const { return mHistoryKey; }
    void setHistoryKey(const QString &key) { mHistoryKey = key; }

    // The history entries, index 0 the newest.
    QStringList arrayOfItem;
    // Tokens that keep an entry out of the history.
    QStringList prohibitedStrings;

    void LoadOldData_BaseOn_historyKey();
    void SaveCurrentData_BaseOn_historyKey();
    void SaveCurrentTo_arrayOfItem();
    // Puts entry index into the field as tokens; an index out of range empties the field.
    void ShowItemAtIndex(qint64 index);
    // The field's tokens that are prohibited, joined by "\n"; a null string when none.
    QString isContaining_ProhibitedStrings() const;
    void UpdateButtonStatus();
    void updateHiddenFor_mContenteResetButton();

    // The current tokens as a history entry ("" when none).
    QString currentEntry() const;

    // Builds the history menu: entry 0 first, each titled with its tokens joined by " ; ", then
    // a separator; choosing an item shows that entry. The caller owns the menu.
    QMenu *makeHistoryMenu(QWidget *parent) const;
    // The menu opened last by the drop-down button (nullptr when none is open).
    QMenu *historyMenu() const { return mHistoryMenu; }

    void Click_mDropDownButton();
    void Menu_Select_Click_mDropDownButton(int tag);
    void Click_mContenteResetButton();

    void setVisible(bool visible) override;

protected:
    void contentDidChange() override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeResetButton();
    void postTextDidChange();

    QPointer<QAbstractButton> mDropDown;
    QToolButton *mResetButton = nullptr;
    QPointer<QMenu> mHistoryMenu;
    QString mMiddleStr = QStringLiteral("\n");
    QString mHistoryKey = QStringLiteral("none");
    bool mClosing = false;
};
