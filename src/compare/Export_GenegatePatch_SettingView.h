#pragma once
// The options of a patch, shown below the patch save panel: normal or side-by-side output, the
// five ignore options of diff, and (for a folder patch) whether all pairs go into one file. Each
// control's state is remembered under "Export_GenegatePatch_SettingView.<control name>".

#include "compare/PatchDiffRunner.h"

#include <QWidget>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QRadioButton;

class Export_GenegatePatch_SettingView : public QWidget
{
    Q_OBJECT
public:
    explicit Export_GenegatePatch_SettingView(QWidget *parent = nullptr);

    static QString defaultsKey(const QString &controlName);

    PatchDiffOptions options() const;
    void setOptions(const PatchDiffOptions &options);
    bool oneFile() const;
    // A patch of two files is always one file: the option is hidden then.
    void setOneFileOptionHidden(bool hidden);
    bool isOneFileOptionHidden() const;

    // Reads and writes the controls' remembered states.
    void loadOptions();
    void storeOptions() const;

    QRadioButton *mOutputNormal = nullptr;
    QRadioButton *mOutputSideBySide = nullptr;
    QCheckBox *mIgnoreCase = nullptr;
    QCheckBox *mIgnoreTabExpansion = nullptr;
    QCheckBox *mIgnoreSpaceChange = nullptr;
    QCheckBox *mIgnoreAllSpace = nullptr;
    QCheckBox *mIgnoreBlankLines = nullptr;
    QCheckBox *mOneFile = nullptr;
    QLabel *mSideBySideNote = nullptr; // shown while side by side is chosen

private:
    QList<QAbstractButton *> rememberedButtons() const;
};
