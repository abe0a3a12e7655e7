// Saving a side: the questions the window asks (where to, whether to replace a file changed on
// disk, whether to fall back to UTF-8) around the writer, and closing with unsaved edits.
#include "textcompare/MergeEditWndCtr.h"

#include "platform/Guard.h"
#include "platform/LocalPath.h"
#include "platform/Panels.h"
#include "services/Alerts.h"
#include "services/AppSetting.h"
#include "services/Localization.h"
#include "textcompare/MyEditTextView.h"
#include "textcompare/TextSideWriter.h"

#include <QFileInfo>
#include <QTextDocument>

bool MergeEditWndCtr::SaveSide(int side)
{
    GUARD_BEGIN
    if (!isWindowLoaded() || (side != 1 && side != 2))
        return false;
    QString path = file(side);
    if (path.isEmpty()) {
        platform::SavePanelRequest request;
        request.title = L_("Save");
        request.nameField = QStringLiteral("Untitled.txt");
        path = platform::runSavePanel(request);
        if (path.isEmpty())
            return false;
    } else if (const QString why = TextSideWriter::whyNotWritableInPlace(state(side).readOk, path);
               !why.isEmpty()) {
        path = askSaveAsInstead(path, why);
        if (path.isEmpty())
            return false;
    } else if (!confirmReplacingChangedFile(side)) {
        return false;
    }
    if (const QString why = TextSideWriter::whyNotWritableTarget(path); !why.isEmpty()) {
        ShowMessage(L_("Error"), FillFormat(L_("Cannot save the file \"%@\"."), {path}) +
                                     QStringLiteral("\n\n") + why);
        return false;
    }
    SideState &st = state(side);
    TextSideWriter writer(st.info, gAppSetting);
    const QString text = textView(side)->plainText();
    if (!writer.canEncode(text)) {
        if (!AskBeforeUndoable(
                L_("Warning"),
                FillFormat(L_("The text cannot be saved in the encoding \"%@\" without losing "
                              "characters. Save it as UTF-8?"),
                           {platform::TextEncoding::localizedName(writer.options().encoding)}),
                L_("Save as UTF-8")))
            return false;
        writer.useUtf8();
    }
    FileWriteFailure failure = FileWriteFailure::None;
    bool ok = writer.write(text, path, &failure);
    // A refused save says why and offers another file; the text stays in the pane meanwhile.
    while (!ok) {
        path = askSaveAsInstead(path, FillFormat(L_("Cannot save the file \"%@\"."), {path}) +
                                          QStringLiteral(" ") + FileWriteFailureText(failure));
        if (path.isEmpty())
            return false;
        if (const QString why = TextSideWriter::whyNotWritableTarget(path); !why.isEmpty()) {
            failure = FileWriteFailure::NotRegularFile;
            continue;
        }
        ok = writer.write(text, path, &failure);
    }
    file(side) = path;
    textView(side)->document()->setModified(false);
    st.readOk = true;
    st.info = writer.writtenInfo(path);
    st.textConverted = st.info.endLine != END_LINE_LF;
    recordDiskState(side);
    if (side == 1)
        setMTextWasEdited1(false);
    else
        setMTextWasEdited2(false);
    setDocumentEdited(WasEdit());
    UpdateTitle();
    updateStatusLabels();
    UpdateButtonStatus();
    return true;
    GUARD_END(false)
}

bool MergeEditWndCtr::confirmReplacingChangedFile(int side)
{
    // The window is told of changes on disk only when it becomes key; a file rewritten while the
    // window stayed in front would otherwise be replaced unseen.
    if (!diskChanged(side))
        return true;
    const LocalPathInfo fi(file(side));
    const SideState &st = state(side);
    if (fi.size() == st.declinedSize && fi.lastModified() == st.declinedModified)
        return true; // the user already chose the window's text over this change
    return AskBeforeUndoable(
        L_("Warning"),
        FillFormat(L_("The file \"%@\" was changed by another application since it was read."),
                   {LocalPath_Shown(file(side))}) +
            QStringLiteral("\n\n") + L_("Saving replaces those changes."),
        L_("Save Anyway"));
}

QString MergeEditWndCtr::askSaveAsInstead(const QString &path, const QString &why)
{
    const int answer = ShowMessage2(L_("Warning"),
                                    FillFormat(L_("The text is not saved to \"%@\"."), {path}) +
                                        QStringLiteral("\n\n") + why + QStringLiteral("\n\n") +
                                        L_("Choose another file to save the text to."),
                                    L_("Save As…"), L_("Cancel"));
    if (answer != 1000)
        return QString();
    platform::SavePanelRequest request;
    request.title = L_("Save As…");
    request.directory = QFileInfo(path).absolutePath();
    request.nameField = QFileInfo(path).fileName();
    return platform::runSavePanel(request);
}

bool MergeEditWndCtr::Menu_Save()
{
    // The pane being edited; when it has nothing to save, the other one if it has.
    const int active = activeSide();
    for (int side : {active, 3 - active})
        if (mTextWasEdited(side) || file(side).isEmpty())
            return SaveSide(side);
    return false;
}

bool MergeEditWndCtr::windowShouldClose()
{
    if (!WasEdit())
        return true;
    QStringList names;
    for (int side : {1, 2})
        if (mTextWasEdited(side))
            names << (file(side).isEmpty() ? L_("Untitled") : QFileInfo(file(side)).fileName());
    const int answer =
        ShowMessage2(L_("Warning"),
                     FillFormat(L_("Do you want to save the changes made to the document \"%@\"?"),
                                {names.join(QStringLiteral("\", \""))}),
                     L_("Save"), L_("Discard and Close"), L_("Cancel"));
    if (answer == 1000) {
        for (int side : {1, 2})
            if (mTextWasEdited(side) && !SaveSide(side))
                return false;
        return true;
    }
    return answer == 1001;
}
