#pragma once
// The dialog that shows which syntax language colours which file extension. The user changes
// the language of the selected extensions, adds extensions, resets every choice to the
// languages' own lists and imports plain definition files. Every change is stored at once; OK
// and Cancel only end the run.

#include <QStringList>
#include <memory>

#include "platform/WindowController.h"

class InputDialog;
class QComboBox;
class QTableWidget;
namespace Ui {
class MyLanguageFileTypeDlg;
}

class MyLanguageFileTypeDlg : public platform::WindowController
{
    Q_OBJECT
public:
    MyLanguageFileTypeDlg();
    ~MyLanguageFileTypeDlg() override;

    // Loads the dialog, runs it modally and closes it: 1 for OK, 0 otherwise.
    static int runModal();

    QStringList mListTypes() const { return mTypes; }
    void setMListTypes(const QStringList &types);

    void okButtonClicked();
    void cancelButtonClicked();
    void closeWindowWithCode(int code);

    // Adds the extensions of the text ("a; b,c d"); with an empty text asks for them in a sheet.
    void addType(const QString &text = QString());
    // The pop-up's choice for every selected row.
    void changeLanguage();
    // Asks, then forgets every stored choice and lists the languages' own extensions again.
    void toDefault();
    // Copies definition files the user chooses into the support folder's "languages".
    void importLanguage();
    void MouseDoubleClick();
    void setup_mSelectListTable();

    QTableWidget *table() const;
    QComboBox *languageList() const;
    Ui::MyLanguageFileTypeDlg &ui() { return *mUi; }
    // The open input sheet of addType, if any.
    InputDialog *inputSheet() const { return mInputSheet.get(); }

protected:
    QWidget *makeWindow() override;
    void windowDidLoad() override;

private:
    void reloadTable();
    void tableViewSelectionDidChange();
    QList<int> selectedRows() const;

    std::unique_ptr<Ui::MyLanguageFileTypeDlg> mUi;
    std::unique_ptr<InputDialog> mInputSheet;
    QStringList mTypes;
    bool mHasTypes = false; // the list exists (it is dropped when the dialog ends)
};
