#pragma once
// The view class of the folder compare window's file table (a list or a tree of entries): it knows
// whether its window is closing and which window controller it serves (not owned).

#include <QPointer>
#include <QTreeView>

class CustomTableShortKey : public QTreeView
{
    Q_OBJECT
public:
    explicit CustomTableShortKey(QWidget *parent = nullptr);
    ~CustomTableShortKey() override;

    bool mIsClosing = false;
    QPointer<QObject> mainController;
};
