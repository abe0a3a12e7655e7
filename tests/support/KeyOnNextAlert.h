#pragma once
// Presses a key on the next real alert box (no alert hook set) as a user would: the key goes to
// the widget that has the focus in the box. What the box said and the title of the button that
// closed it are kept, for tests of what Return and Escape do.

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace pelkotest {

class KeyOnNextAlert : public QObject
{
public:
    explicit KeyOnNextAlert(Qt::Key key) : mKey(key)
    {
        mTimer.setInterval(5);
        QObject::connect(&mTimer, &QTimer::timeout, this, [this] { pressIfShown(); });
        mTimer.start();
    }

    bool pressed() const { return mPressed; }
    QString text;          // the box's text and informative text, one a line
    bool plainText = true; // every text of the box shown as plain text, never as markup
    QString pressedButton; // the title of the button the key pressed ("" when none)

private:
    void pressIfShown()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        mTimer.stop();
        mPressed = true;
        text = box->text() + QLatin1Char('\n') + box->informativeText();
        for (const QLabel *label : box->findChildren<QLabel *>())
            if (!label->text().isEmpty() && label->textFormat() != Qt::PlainText)
                plainText = false;
        QPointer<QMessageBox> guard(box);
        QObject::connect(box, &QMessageBox::buttonClicked, this,
                         [this](QAbstractButton *b) { pressedButton = b->text(); });
        QWidget *target = box->focusWidget() ? box->focusWidget() : box;
        QTest::keyClick(target, mKey);
        // A key the box ignores leaves it open: close it, so the test goes on and sees nothing
        // was pressed.
        if (guard && guard->isVisible())
            guard->reject();
    }

    Qt::Key mKey;
    QTimer mTimer;
    bool mPressed = false;
};

} // namespace pelkotest
