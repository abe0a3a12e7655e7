#include "controls/CustomTableShortKey.h"

CustomTableShortKey::CustomTableShortKey(QWidget *parent) : QTreeView(parent)
{
    setUniformRowHeights(true);
}

CustomTableShortKey::~CustomTableShortKey()
{
    mIsClosing = true;
    mainController = nullptr;
}
