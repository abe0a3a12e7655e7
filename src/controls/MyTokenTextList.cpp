#include "controls/MyTokenTextList.h"

#include "foundation/PelkoNSTokenField.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"

#include <QAbstractButton>
#include <QIcon>
#include <QMenu>
#include <QStyle>
#include <QToolButton>

const QString MyTokenTextList::kHistorySeparator = QStringLiteral("_{??}_");

MyTokenTextList::MyTokenTextList(QWidget *parent) : TokenField(parent)
{
    setupAfterInit();
    mResetButton = new QToolButton(this);
    mResetButton->setObjectName(QStringLiteral("mContenteResetButton"));
    mResetButton->setAutoRaise(true);
    mResetButton->setFocusPolicy(Qt::NoFocus);
    mResetButton->setCursor(Qt::ArrowCursor);
    mResetButton->setToolTip(QStringLiteral("Clear"));
    mResetButton->setIcon(QIcon::fromTheme(QStringLiteral("edit-clear"),
                                           style()->standardIcon(QStyle::SP_LineEditClearButton)));
    mResetButton->hide();
    connect(mResetButton, &QToolButton::clicked, this, [this] { Click_mContenteResetButton(); });
    placeResetButton();
}

MyTokenTextList::~MyTokenTextList()
{
    mClosing = true;
    if (mHistoryMenu)
        delete mHistoryMenu.data();
}

void MyTokenTextList::setupAfterInit()
{
    arrayOfItem.clear();
    prohibitedStrings.clear();
    mHistoryKey = QStringLiteral("none");
    mMiddleStr = QStringLiteral("\n");
    mClosing = false;
}

void MyTokenTextList::setDropDownButton(QAbstractButton *button)
{
    if (mDropDown)
        disconnect(mDropDown, nullptr, this, nullptr);
    mDropDown = button;
    if (button)
        connect(button, &QAbstractButton::clicked, this, [this] { Click_mDropDownButton(); });
    UpdateButtonStatus();
}

// ---- history ----

QString MyTokenTextList::currentEntry() const
{
    const QVariant value = objectValue();
    QStringList tokens =
        keepCase() ? getValueStringsArray_Trim(value) : getValueStringsArray_Trim_Lower(value);
    for (QString &token : tokens) {
        token.replace(QLatin1Char('\n'), QLatin1Char(' '));
        token.replace(QLatin1Char('\r'), QLatin1Char(' '));
    }
    return tokens.join(mMiddleStr);
}

void MyTokenTextList::LoadOldData_BaseOn_historyKey()
{
    GUARD_BEGIN
    if (!mHistoryKey.isEmpty()) {
        arrayOfItem.clear();
        const QString stored = platform::UserDefaults::standard().stringForKey(mHistoryKey);
        if (!stored.isEmpty()) {
            const QStringList pieces = stored.split(kHistorySeparator);
            for (const QString &piece : pieces) {
                if (piece.isEmpty() || arrayOfItem.contains(piece))
                    continue;
                arrayOfItem.append(piece);
                if (arrayOfItem.size() > kLoadLimit)
                    break;
            }
            if (!arrayOfItem.isEmpty())
                ShowItemAtIndex(0);
        }
    }
    GUARD_END_VOID
    UpdateButtonStatus();
}

void MyTokenTextList::SaveCurrentTo_arrayOfItem()
{
    GUARD_BEGIN
    const QString prohibited = isContaining_ProhibitedStrings();
    if (!prohibited.isEmpty()) {
        platform::Log(lcControls,
                      QStringLiteral("SaveCurrentTo_arrayOfItem: can note save to history: ") +
                          prohibited);
    } else {
        const QString entry = currentEntry();
        if (!entry.isEmpty()) {
            const qsizetype at = arrayOfItem.indexOf(entry);
            if (at != 0) {
                if (at > 0)
                    arrayOfItem.removeAt(at);
                arrayOfItem.prepend(entry);
            }
        }
    }
    GUARD_END_VOID
    UpdateButtonStatus();
}

void MyTokenTextList::SaveCurrentData_BaseOn_historyKey()
{
    SaveCurrentTo_arrayOfItem();
    GUARD_BEGIN
    if (!mHistoryKey.isEmpty()) {
        QStringList entries;
        for (const QString &entry : std::as_const(arrayOfItem)) {
            if (!entry.isEmpty())
                entries << entry;
        }
        auto &defaults = platform::UserDefaults::standard();
        defaults.setString(entries.join(kHistorySeparator), mHistoryKey);
        defaults.synchronize();
    }
    GUARD_END_VOID
    UpdateButtonStatus();
}

void MyTokenTextList::ShowItemAtIndex(qint64 index)
{
    GUARD_BEGIN
    const QString entry =
        (index >= 0 && index < arrayOfItem.size()) ? arrayOfItem.at(index) : QString();
    QStringList tokens;
    const QStringList pieces = mMiddleStr.isEmpty() ? QStringList{entry} : entry.split(mMiddleStr);
    for (const QString &piece : pieces) {
        if (!piece.isEmpty())
            tokens << piece;
    }
    setObjectValue(tokens);
    GUARD_END_VOID
    UpdateButtonStatus();
}

QString MyTokenTextList::isContaining_ProhibitedStrings() const
{
    GUARD_BEGIN
    if (prohibitedStrings.isEmpty())
        return QString();
    QStringList found;
    for (const QString &token : getValueStringsArray_Trim_Lower(objectValue())) {
        for (const QString &refused : prohibitedStrings) {
            const QString trimmed = refused.trimmed();
            if (!trimmed.isEmpty() && token.compare(trimmed, Qt::CaseInsensitive) == 0) {
                found << token;
                break;
            }
        }
    }
    return found.isEmpty() ? QString() : found.join(QLatin1Char('\n'));
    GUARD_END(QString())
}

// ---- buttons ----

void MyTokenTextList::UpdateButtonStatus()
{
    if (mClosing || !mDropDown)
        return;
    mDropDown->setEnabled(!arrayOfItem.isEmpty());
}

void MyTokenTextList::updateHiddenFor_mContenteResetButton()
{
    if (mClosing || !mResetButton)
        return;
    mResetButton->setHidden(isHidden() || stringValue().isEmpty());
}

void MyTokenTextList::contentDidChange()
{
    updateHiddenFor_mContenteResetButton();
}

void MyTokenTextList::setVisible(bool visible)
{
    if (!mClosing) {
        if (mDropDown)
            mDropDown->setVisible(visible);
        if (mResetButton)
            mResetButton->setHidden(!visible || stringValue().isEmpty());
    }
    TokenField::setVisible(visible);
}

void MyTokenTextList::placeResetButton()
{
    if (!mResetButton)
        return;
    const int side = std::max(8, height() - 6);
    mResetButton->setGeometry(width() - side - 2, height() / 2 - side / 2, side, side);
    mResetButton->setIconSize(QSize(side - 4, side - 4));
    setRightMargin(side + 2);
}

void MyTokenTextList::resizeEvent(QResizeEvent *event)
{
    TokenField::resizeEvent(event);
    placeResetButton();
}

QMenu *MyTokenTextList::makeHistoryMenu(QWidget *parent) const
{
    auto *menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("historyMenu"));
    for (int i = 0; i < arrayOfItem.size(); ++i) {
        QString title = arrayOfItem.at(i);
        if (!mMiddleStr.isEmpty())
            title.replace(mMiddleStr, QStringLiteral(" ; "));
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction *action = menu->addAction(title);
        action->setData(i);
        QPointer<const MyTokenTextList> self(this);
        connect(action, &QAction::triggered, menu, [self, i] {
            if (self)
                const_cast<MyTokenTextList *>(self.data())->Menu_Select_Click_mDropDownButton(i);
        });
    }
    menu->addSeparator();
    return menu;
}

void MyTokenTextList::Click_mDropDownButton()
{
    GUARD_BEGIN
    if (mClosing || arrayOfItem.isEmpty() || !mDropDown || !mDropDown->window())
        return;
    if (mHistoryMenu)
        delete mHistoryMenu.data();
    QMenu *menu = makeHistoryMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    mHistoryMenu = menu;
    // Just under the button.
    menu->popup(mDropDown->mapToGlobal(QPoint(0, mDropDown->height())));
    GUARD_END_VOID
}

void MyTokenTextList::Menu_Select_Click_mDropDownButton(int tag)
{
    GUARD_BEGIN
    ShowItemAtIndex(tag);
    postTextDidChange();
    GUARD_END_VOID
}

void MyTokenTextList::Click_mContenteResetButton()
{
    GUARD_BEGIN
    if (mClosing)
        return;
    setStringValue(QStringLiteral(""));
    postTextDidChange();
    GUARD_END_VOID
}

void MyTokenTextList::postTextDidChange()
{
    platform::NotificationCenter::defaultCenter().postNotification(
        QStringLiteral("NSControlTextDidChangeNotification"), this);
    emit textDidChange();
}
