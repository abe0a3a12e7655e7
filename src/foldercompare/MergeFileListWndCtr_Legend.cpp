// The folder window's words on how its rows were judged: the compare mode in the status line,
// and the legend of the row colours (the counts' tool tip and View > Legend).
#include "foldercompare/FolderVerdictText.h"
#include "foldercompare/MergeFileListWndCtr.h"
#include "platform/Guard.h"
#include "services/Localization.h"

#include "ui_MergeFileListWndCtr.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

void MergeFileListWndCtr::updateModeLabel()
{
    if (!mCompareInfo)
        return;
    const int mode = mCompareInfo->folder_compare_Mode;
    mUi->mModeLabel->setText(
        FolderCompareModeText(mode, mCompareInfo->folder_compare_ignore_EndLineDiff));
    mUi->mModeLabel->setToolTip(FolderCompareModeHelp(mode));
}

QString MergeFileListWndCtr::legendText() const
{
    const QPalette palette = mUi->fileTableView ? mUi->fileTableView->palette() : QPalette();
    QString text =
        FolderVerdictLegend(palette.color(QPalette::Base), palette.color(QPalette::AlternateBase));
    if (mCompareInfo)
        text += QStringLiteral("<p>") +
                FolderCompareModeHelp(mCompareInfo->folder_compare_Mode).toHtmlEscaped() +
                QStringLiteral("</p>");
    return text;
}

void MergeFileListWndCtr::ShowLegend()
{
    GUARD_BEGIN
    if (mIsClosing || !isWindowLoaded())
        return;
    if (!mLegend) {
        auto *legend = new QDialog(window());
        legend->setObjectName(QStringLiteral("mLegendWindow"));
        legend->setWindowTitle(L_(QStringLiteral("Legend")));
        legend->setAttribute(Qt::WA_DeleteOnClose);
        auto *layout = new QVBoxLayout(legend);
        auto *label = new QLabel(legend);
        label->setObjectName(QStringLiteral("mLegendText"));
        label->setTextFormat(Qt::RichText);
        label->setWordWrap(true);
        // The row colours are shown on the list's background.
        label->setAutoFillBackground(true);
        label->setBackgroundRole(QPalette::Base);
        label->setMargin(8);
        label->setMinimumWidth(label->fontMetrics().averageCharWidth() * 56);
        layout->addWidget(label);
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, legend);
        connect(buttons, &QDialogButtonBox::rejected, legend, &QDialog::close);
        layout->addWidget(buttons);
        mLegend = legend;
    }
    mLegend->findChild<QLabel *>(QStringLiteral("mLegendText"))->setText(legendText());
    mLegend->show();
    mLegend->raise();
    mLegend->activateWindow();
    GUARD_END_VOID
}
