// What the window shows of its state: the title, the path and status labels, the result label
// and which buttons and menu items can be used.
#include "textcompare/MergeEditWndCtr.h"

#include "platform/LocalPath.h"
#include "services/CompareWindowTitle.h"
#include "services/Localization.h"
#include "ui_MergeEditWndCtr.h"

#include <QFileInfo>
#include <QLabel>
#include <algorithm>

namespace {

// The text a path label shows whole when it has room.
const char *const kFullTextProperty = "pelkoFullText";

QString permissionText(int mode)
{
    if (mode < 0)
        return {};
    static const char *letters = "rwxrwxrwx";
    QString s;
    for (int i = 0; i < 9; ++i)
        s += (mode & (0400 >> i)) ? QLatin1Char(letters[i]) : QLatin1Char('-');
    return s;
}

QString lineEndName(END_LINE_TYPE e)
{
    switch (e) {
    case END_LINE_CR:
        return QStringLiteral("CR");
    case END_LINE_CRLF:
        return QStringLiteral("CRLF");
    default:
        return QStringLiteral("LF");
    }
}

} // namespace

void MergeEditWndCtr::UpdateButtonStatus()
{
    if (!isWindowLoaded() || !mUi->mButton_Next)
        return;
    auto &ui = *mUi;
    // While blocks are compared again, or out of date after an edit, nothing that needs them
    // can be used.
    const bool blocksUsable = !mCompare->isRunning() && !mCompare->isOutOfDate() && !mLoadingFiles;
    const int n = blocksUsable ? int(mergeBlocks().size()) : 0;
    const bool hasCurrent = mCurrentBlock >= 0 && mCurrentBlock < n;
    const bool canPrev = n > 0 && (hasCurrent ? mCurrentBlock > 0 : mNavigationAnchor > 0);
    const bool canNext = n > 0 && (hasCurrent ? mCurrentBlock < n - 1 : mNavigationAnchor < n);
    ui.mButton_Previous->setEnabled(canPrev);
    ui.actionPrevious->setEnabled(canPrev);
    ui.mButton_Next->setEnabled(canNext);
    ui.actionNext->setEnabled(canNext);
    for (QObject *o : {static_cast<QObject *>(ui.mButton_CopyToLeft),
                       static_cast<QObject *>(ui.mButton_CopyToRight),
                       static_cast<QObject *>(ui.actionCopyToLeft),
                       static_cast<QObject *>(ui.actionCopyToRight)})
        o->setProperty("enabled", hasCurrent);
    for (QObject *o : {static_cast<QObject *>(ui.mButton_CopyAllToLeft),
                       static_cast<QObject *>(ui.mButton_CopyAllToRight),
                       static_cast<QObject *>(ui.actionCopyAllToLeft),
                       static_cast<QObject *>(ui.actionCopyAllToRight)})
        o->setProperty("enabled", n > 0);
    ui.actionCompareFolders->setEnabled(canCompareFolders());
    const bool save1 = mTextWasEdited1 || mFile1.isEmpty();
    const bool save2 = mTextWasEdited2 || mFile2.isEmpty();
    ui.mButton_Save1->setEnabled(save1);
    ui.actionSave1->setEnabled(save1);
    ui.mButton_Save2->setEnabled(save2);
    ui.actionSave2->setEnabled(save2);
    ui.actionSave->setEnabled(save1 || save2);
    ui.actionReload->setEnabled(!mFile1.isEmpty() || !mFile2.isEmpty());
    ui.actionUndo->setEnabled(canUndo());
    ui.actionRedo->setEnabled(canRedo());
}

void MergeEditWndCtr::UpdateTitle()
{
    if (!isWindowLoaded())
        return;
    window()->setWindowTitle(CompareWindowTitle(mFile1, mFile2) + QStringLiteral("[*]"));
    for (int side : {1, 2}) {
        QLabel *label = side == 1 ? mUi->mFilePathLabel1 : mUi->mFilePathLabel2;
        const QString path = file(side);
        const QString shown = path.isEmpty() ? L_("Untitled") : LocalPath_Shown(path);
        label->setProperty(kFullTextProperty, shown);
        label->setToolTip(path.isEmpty() ? QString() : shown);
        fitPathLabel(label);
    }
}

void MergeEditWndCtr::fitPathLabel(QLabel *label)
{
    // A path longer than its label shows its end, where the file's name is (the whole path is
    // its tip): the label never makes the window wider.
    const QString full = label->property(kFullTextProperty).toString();
    label->setText(label->fontMetrics().elidedText(full, Qt::ElideLeft,
                                                   std::max(0, label->contentsRect().width())));
}

void MergeEditWndCtr::updateStatusLabels()
{
    if (!isWindowLoaded())
        return;
    for (int side : {1, 2}) {
        const SideState &st = state(side);
        QStringList parts;
        if (st.info.encoding)
            parts << platform::TextEncoding::localizedName(st.info.encoding);
        if (st.info.hasBOM)
            parts << QStringLiteral("BOM");
        parts << lineEndName(st.info.endLine);
        if (st.info.permissions >= 0)
            parts << permissionText(st.info.permissions);
        (side == 1 ? mUi->mStatusLabel1 : mUi->mStatusLabel2)->setText(parts.join(u"  ·  "));
    }
    UpdateTitle();
}

void MergeEditWndCtr::updateResultLabel()
{
    QString text;
    const QString count = QString::number(mergeBlocks().size());
    if (mLoadingFiles)
        text = L_("Loading…");
    else if (mCompare->isRunning())
        text = L_("Comparing…");
    else if (mCompare->failed())
        text = L_("Compare failed") + QStringLiteral(": ") + mCompare->error();
    else if (mergeBlocks().empty())
        text = L_("No difference");
    else if (mCurrentBlock >= 0 && mCurrentBlock < int(mergeBlocks().size()))
        text = FillFormat(L_("Difference %@ of %@"), {QString::number(mCurrentBlock + 1), count});
    else if (mergeBlocks().size() == 1)
        text = L_("1 difference");
    else
        text = FillFormat(L_("%@ differences"), {count});
    mUi->mResultLabel->setText(text);
}
