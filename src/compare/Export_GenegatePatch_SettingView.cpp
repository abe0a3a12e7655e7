#include "compare/Export_GenegatePatch_SettingView.h"

#include "platform/UserDefaults.h"
#include "services/Localization.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>

namespace {

template <class B> B *makeButton(QWidget *parent, const char *name, const char *text)
{
    auto *b = new B(L_(QString::fromLatin1(text)), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

Export_GenegatePatch_SettingView::Export_GenegatePatch_SettingView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Export_GenegatePatch_SettingView"));
    mOutputNormal = makeButton<QRadioButton>(this, "mOutputNormal", "Normal patch");
    mOutputSideBySide =
        makeButton<QRadioButton>(this, "mOutputSideBySide", "Side by side (for reading)");
    auto *group = new QButtonGroup(this);
    group->addButton(mOutputNormal);
    group->addButton(mOutputSideBySide);
    mOutputNormal->setChecked(true);
    mIgnoreCase = makeButton<QCheckBox>(this, "mIgnoreCase", "Ignore case");
    mIgnoreTabExpansion =
        makeButton<QCheckBox>(this, "mIgnoreTabExpansion", "Ignore tab expansion");
    mIgnoreSpaceChange =
        makeButton<QCheckBox>(this, "mIgnoreSpaceChange", "Ignore changes in white space");
    mIgnoreAllSpace = makeButton<QCheckBox>(this, "mIgnoreAllSpace", "Ignore all white space");
    mIgnoreBlankLines = makeButton<QCheckBox>(this, "mIgnoreBlankLines", "Ignore blank lines");
    mOneFile = makeButton<QCheckBox>(this, "mOneFile", "All pairs in one file");
    // The choice is remembered from the last patch: say what a side-by-side one cannot do.
    mSideBySideNote = new QLabel(
        L_(QStringLiteral("A side-by-side patch is for reading: patch cannot apply it.")), this);
    mSideBySideNote->setObjectName(QStringLiteral("mSideBySideNote"));
    mSideBySideNote->setWordWrap(true);
    connect(mOutputSideBySide, &QAbstractButton::toggled, mSideBySideNote, &QWidget::setVisible);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->addWidget(new QLabel(L_(QStringLiteral("Patch options")), this), 0, 0, 1, 2);
    grid->addWidget(mOutputNormal, 1, 0);
    grid->addWidget(mOutputSideBySide, 1, 1);
    grid->addWidget(mSideBySideNote, 2, 0, 1, 2);
    grid->addWidget(mIgnoreCase, 3, 0);
    grid->addWidget(mIgnoreTabExpansion, 3, 1);
    grid->addWidget(mIgnoreSpaceChange, 4, 0);
    grid->addWidget(mIgnoreAllSpace, 4, 1);
    grid->addWidget(mIgnoreBlankLines, 5, 0);
    grid->addWidget(mOneFile, 5, 1);
    mSideBySideNote->setVisible(false);
    loadOptions();
}

QString Export_GenegatePatch_SettingView::defaultsKey(const QString &controlName)
{
    return QStringLiteral("Export_GenegatePatch_SettingView.") + controlName;
}

QList<QAbstractButton *> Export_GenegatePatch_SettingView::rememberedButtons() const
{
    return {
        mOutputSideBySide, mIgnoreCase, mIgnoreTabExpansion, mIgnoreSpaceChange, mIgnoreAllSpace,
        mIgnoreBlankLines, mOneFile};
}

PatchDiffOptions Export_GenegatePatch_SettingView::options() const
{
    PatchDiffOptions o;
    o.sideBySide = mOutputSideBySide->isChecked();
    o.ignore.ignoreCase = mIgnoreCase->isChecked();
    o.ignore.ignoreTabExpansion = mIgnoreTabExpansion->isChecked();
    o.ignore.ignoreSpaceChange = mIgnoreSpaceChange->isChecked();
    o.ignore.ignoreAllSpace = mIgnoreAllSpace->isChecked();
    o.ignore.ignoreBlankLines = mIgnoreBlankLines->isChecked();
    return o;
}

void Export_GenegatePatch_SettingView::setOptions(const PatchDiffOptions &o)
{
    (o.sideBySide ? mOutputSideBySide : mOutputNormal)->setChecked(true);
    mIgnoreCase->setChecked(o.ignore.ignoreCase);
    mIgnoreTabExpansion->setChecked(o.ignore.ignoreTabExpansion);
    mIgnoreSpaceChange->setChecked(o.ignore.ignoreSpaceChange);
    mIgnoreAllSpace->setChecked(o.ignore.ignoreAllSpace);
    mIgnoreBlankLines->setChecked(o.ignore.ignoreBlankLines);
}

bool Export_GenegatePatch_SettingView::oneFile() const
{
    return mOneFile->isChecked();
}

void Export_GenegatePatch_SettingView::setOneFileOptionHidden(bool hidden)
{
    mOneFile->setHidden(hidden);
}

bool Export_GenegatePatch_SettingView::isOneFileOptionHidden() const
{
    return mOneFile->isHidden();
}

void Export_GenegatePatch_SettingView::loadOptions()
{
    const auto &defaults = platform::UserDefaults::standard();
    for (QAbstractButton *b : rememberedButtons()) {
        const QString key = defaultsKey(b->objectName());
        if (defaults.hasKey(key))
            b->setChecked(defaults.boolForKey(key));
    }
    if (!mOutputSideBySide->isChecked())
        mOutputNormal->setChecked(true);
}

void Export_GenegatePatch_SettingView::storeOptions() const
{
    auto &defaults = platform::UserDefaults::standard();
    for (QAbstractButton *b : rememberedButtons())
        defaults.setBool(b->isChecked(), defaultsKey(b->objectName()));
    defaults.synchronize();
}
