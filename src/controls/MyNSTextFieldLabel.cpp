#include "controls/MyNSTextFieldLabel.h"

#include "platform/Guard.h"
#include "platform/LocalPath.h"
#include "services/FileUtility.h"

MyNSTextFieldLabel::MyNSTextFieldLabel(QWidget *parent) : QPushButton(parent)
{
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    setStyleSheet(QStringLiteral("text-align: left; padding: 0px;"));
    connect(this, &QPushButton::clicked, this, [this] {
        GUARD_BEGIN
        RevealFileFolderInFinder(path());
        GUARD_END_VOID
    });
}

void MyNSTextFieldLabel::setPath(const QString &path)
{
    mPath = path.isEmpty() ? QString() : path;
    setText(LocalPath_Shown(path));
}
