#include "controls/CustomTableShortKey.h"

CustomTableShortKey::CustomTableShortKey(QWidget *parent) : QTableView(parent)
{}

CustomTableShortKey::~CustomTableShortKey()
{
    mIsClosing = true;
    mainController = nullptr;
}
