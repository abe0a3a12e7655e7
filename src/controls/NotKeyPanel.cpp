#include "controls/NotKeyPanel.h"

NotKeyPanel::NotKeyPanel(QWidget *parent, Qt::WindowFlags extraFlags)
    : QWidget(parent, Qt::Tool | Qt::WindowDoesNotAcceptFocus | extraFlags)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
}
