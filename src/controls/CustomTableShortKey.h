#pragma once
// The table class of the folder compare window's file table: a table view that knows whether its
// window is closing and which window controller it serves (not owned).

#include <QPointer>
#include <QTableView>

class CustomTableShortKey : public QTableView
{
    Q_OBJECT
public:
    explicit CustomTableShortKey(QWidget *parent = nullptr);
    ~CustomTableShortKey() override;

    bool mIsClosing = false;
    QPointer<QObject> mainController;
};
