#include "controls/SearchFieldOnNotKeyPanel.h"

#include "platform/Guard.h"

#include <QAction>
#include <QIcon>
#include <QMouseEvent>
#include <QStyle>

SearchFieldOnNotKeyPanel::SearchFieldOnNotKeyPanel(QWidget *parent) : QLineEdit(parent)
{
    setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
    // The clear mark sits in the right-end square, shown only while there is text to clear.
    mClearAction =
        addAction(QIcon::fromTheme(QStringLiteral("edit-clear"),
                                   style()->standardIcon(QStyle::SP_LineEditClearButton)),
                  QLineEdit::TrailingPosition);
    mClearAction->setVisible(false);
    connect(mClearAction, &QAction::triggered, this, [this] { clearByUser(); });
    connect(this, &QLineEdit::textChanged, this,
            [this](const QString &text) { mClearAction->setVisible(!text.isEmpty()); });
}

QRect SearchFieldOnNotKeyPanel::clearSquare() const
{
    const QRect r = rect();
    return QRect(r.right() + 1 - r.height(), r.top(), r.height(), r.height());
}

void SearchFieldOnNotKeyPanel::clearByUser()
{
    clear();
    emit clearSearchText(this);
}

void SearchFieldOnNotKeyPanel::mousePressEvent(QMouseEvent *event)
{
    GUARD_BEGIN
    QLineEdit::mousePressEvent(event);
    deselect();
    if (event->button() != Qt::LeftButton)
        return;
    if (!text().isEmpty() && clearSquare().contains(event->position().toPoint())) {
        clearByUser();
        return;
    }
    emit triggered(this);
    GUARD_END_VOID
}

void SearchFieldOnNotKeyPanel::mouseMoveEvent(QMouseEvent *event)
{
    // Not selectable: a drag selects nothing.
    event->accept();
}

void SearchFieldOnNotKeyPanel::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
}
