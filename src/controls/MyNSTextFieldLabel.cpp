#include "controls/MyNSTextFieldLabel.h"

#include "platform/Guard.h"
#include "services/FileUtility.h"

MyNSTextFieldLabel::MyNSTextFieldLabel(QWidget *parent) : QPushButton(parent)
{
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    setStyleSheet(QStringLiteral("text-align: left; padding: 0px;"));
    connect(this, &QPushButton::clicked, this, [this] {
        GUARD_BEGIN
        RevealFileFolderInFinder(text());
        GUARD_END_VOID
    });
}
