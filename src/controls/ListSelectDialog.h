#pragma once
// Lets the user pick one line of a short list in a modal window: a title, a prompt, a one-column
// table, OK and Cancel. OK and a double-click on a line end with that line.

#include "platform/WindowController.h"

#include <QStringList>
#include <memory>

class QAbstractButton;
class QLabel;
class QTableView;
namespace Ui {
class ListSelectDialog;
}

class ListSelectDialog : public platform::WindowController
{
    Q_OBJECT
public:
    ListSelectDialog();
    ~ListSelectDialog() override;

    // The whole dialog: the index of the chosen line, or -1 (also for an empty list, without a
    // window).
    static int GetSelecteItemWithTitle(const QString &title, const QString &textTitle,
                                       const QStringList &list);

    QString mWindowsTitle;
    QString mTextboxTitle;
    // Copied in for the run (the caller's list is not kept).
    QStringList mListData;

    void okButtonClicked();
    void cancelButtonClicked();
    // The close key: as Cancel.
    void closeClicked();
    void ctrlQApp();
    void MouseDoubleClick(int clickedRow);

    int numberOfRowsInTableView() const;
    // The line at row; a null string for a row outside the list.
    QString objectValueForRow(qint64 row) const;
    void tableViewSelectionDidChange();

    QTableView *mSelectListTable() const;
    QAbstractButton *okButton() const;
    Ui::ListSelectDialog &ui() { return *mUi; }

protected:
    QWidget *makeWindow() override;
    void windowDidLoad() override;

private:
    std::unique_ptr<Ui::ListSelectDialog> mUi;
};
