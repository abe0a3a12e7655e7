#pragma once
// A button drawn as a label: a click reveals the path that its title holds.

#include <QPushButton>

class MyNSTextFieldLabel : public QPushButton
{
    Q_OBJECT
public:
    explicit MyNSTextFieldLabel(QWidget *parent = nullptr);

    // Shows the path readable (bytes that are not UTF-8 as \xNN) while a click reveals the path
    // itself. Without one, the title is revealed as it reads.
    void setPath(const QString &path);
    QString path() const { return mPath.isNull() ? text() : mPath; }

private:
    QString mPath;
};
