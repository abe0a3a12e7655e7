#include "controls/ListSelectDialog.h"

#include "controls/DialogSetup.h"
#include "controls/DialogWindow.h"
#include "controls/PelkoNSTableView.h"
#include "controls/ControlText.h"
#include "controls/PelkoNSControl.h"
#include "controls/PelkoNSWindowController.h"
#include "platform/Guard.h"
#include "platform/ModalRun.h"

#include "ui_ListSelectDialog.h"

#include <QAbstractTableModel>
#include <QItemSelectionModel>

namespace {

// The one-column table's rows, asked of the dialog.
class ListModel : public QAbstractTableModel
{
public:
    ListModel(ListSelectDialog *dialog, QObject *parent)
        : QAbstractTableModel(parent), mDialog(dialog)
    {}
    int rowCount(const QModelIndex &parent) const override
    {
        return parent.isValid() ? 0 : mDialog->numberOfRowsInTableView();
    }
    int columnCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : 1; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
            return {};
        const QString value = mDialog->objectValueForRow(index.row());
        return value.isNull() ? QVariant() : QVariant(value);
    }
    void reload()
    {
        beginResetModel();
        endResetModel();
    }

private:
    ListSelectDialog *mDialog;
};

} // namespace

ListSelectDialog::ListSelectDialog()
    : platform::WindowController(QStringLiteral("ListSelectDialog")),
      mUi(std::make_unique<Ui::ListSelectDialog>())
{}

ListSelectDialog::~ListSelectDialog() = default;

QWidget *ListSelectDialog::makeWindow()
{
    auto *window = setupWindow<DialogWindow>(*mUi);
    window->setCloseRequestHandler([this] { closeClicked(); });
    return window;
}

void ListSelectDialog::windowDidLoad()
{
    GUARD_BEGIN
    QWidget *w = window();
    SetupDialogWindow(w, this, mUi->mCloseButton1, mUi->mCloseButton2);
    connect(mUi->mCloseButton1, &QAbstractButton::clicked, this, [this] { closeClicked(); });
    connect(mUi->mCloseButton2, &QAbstractButton::clicked, this, [this] { ctrlQApp(); });
    connect(mUi->mCancelButton, &QAbstractButton::clicked, this, [this] { cancelButtonClicked(); });
    connect(mUi->mOKButton, &QAbstractButton::clicked, this, [this] { okButtonClicked(); });
    if (!mWindowsTitle.isEmpty())
        w->setWindowTitle(mWindowsTitle);
    if (!mTextboxTitle.isEmpty())
        setStringValue2(mUi->mTextLabel, mTextboxTitle);

    auto *model = new ListModel(this, mUi->mSelectListTable);
    mUi->mSelectListTable->setModel(model);
    connect(mUi->mSelectListTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { tableViewSelectionDidChange(); });
    connect(mUi->mSelectListTable, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex &index) { MouseDoubleClick(index.row()); });
    tableViewSelectionDidChange();
    if (!mListData.isEmpty())
        selectRow2(mUi->mSelectListTable, 0, false);
    GUARD_END_VOID
}

int ListSelectDialog::GetSelecteItemWithTitle(const QString &title, const QString &textTitle,
                                              const QStringList &list)
{
    GUARD_BEGIN
    if (list.isEmpty())
        return -1;
    ListSelectDialog dialog;
    if (!title.isEmpty())
        dialog.mWindowsTitle = title;
    if (!textTitle.isEmpty())
        dialog.mTextboxTitle = textTitle;
    dialog.mListData = list;
    QWidget *w = dialog.window();
    if (!w)
        return -1;
    const int response = platform::runModalForWindow(w);
    qint64 index = -1;
    if (response == 1) {
        const QModelIndexList rows = dialog.mSelectListTable()->selectionModel()->selectedRows();
        index = rows.isEmpty() ? -1 : rows.first().row();
    }
    dialog.mListData.clear();
    if (auto *dialogWindow = qobject_cast<DialogWindow *>(w))
        dialogWindow->closeByCode();
    return int(index);
    GUARD_END(-1)
}

void ListSelectDialog::okButtonClicked()
{
    stopModalAndSaveFrameWithCode(this, 1);
}

void ListSelectDialog::cancelButtonClicked()
{
    stopModalAndSaveFrameWithCode(this, 0);
}

void ListSelectDialog::closeClicked()
{
    cancelButtonClicked();
}

void ListSelectDialog::ctrlQApp()
{
    stopModalAndSaveFrameWithCode(this, 0);
}

void ListSelectDialog::MouseDoubleClick(int clickedRow)
{
    GUARD_BEGIN
    if (clickedRow < 0 || clickedRow >= mListData.size())
        return;
    selectRow2(mUi->mSelectListTable, clickedRow, false);
    stopModalAndSaveFrameWithCode(this, 1);
    GUARD_END_VOID
}

int ListSelectDialog::numberOfRowsInTableView() const
{
    return int(mListData.size());
}

QString ListSelectDialog::objectValueForRow(qint64 row) const
{
    if (row < 0 || row >= mListData.size())
        return QString();
    return ownTextCopy(mListData.at(row));
}

void ListSelectDialog::tableViewSelectionDidChange()
{
    if (!isWindowLoaded())
        return;
    const QModelIndexList rows = mUi->mSelectListTable->selectionModel()
                                     ? mUi->mSelectListTable->selectionModel()->selectedRows()
                                     : QModelIndexList();
    const bool valid = !rows.isEmpty() && rows.first().row() < mListData.size();
    mUi->mOKButton->setEnabled(valid);
}

QTableView *ListSelectDialog::mSelectListTable() const
{
    return mUi->mSelectListTable;
}

QAbstractButton *ListSelectDialog::okButton() const
{
    return mUi->mOKButton;
}
