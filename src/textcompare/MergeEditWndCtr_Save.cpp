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

#include <QDir>
#include <QFileInfo>
#include <QTextDocument>

bool MergeEditWndCtr::SaveSide(int side)
{
    GUARD_BEGIN
    if (!isWindowLoaded() || (side != 1 && side != 2))
        return false;
    QString path = file(side);
    // What the side's own file may be when the text replaces it; not known for a path the user
    // chooses.
    FileIdentity agreed;
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
    } else if (!confirmReplacingChangedFile(side, &agreed)) {
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
    FileIdentity written;
    bool ok = writer.write(text, path, &failure, &agreed, &written);
    // A refused save says why and offers another file; the text stays in the pane meanwhile.
    while (!ok) {
        if (failure == FileWriteFailure::ChangedOnDisk) {
            // Changed again since it was looked at: asked again, whatever it is now.
            if (!confirmReplacingChangedFile(side, &agreed, true))
                return false;
            ok = writer.write(text, path, &failure, &agreed, &written);
            continue;
        }
        path = askSaveAsInstead(path, FillFormat(L_("Cannot save the file \"%@\"."), {path}) +
                                          QStringLiteral(" ") + FileWriteFailureText(failure));
        if (path.isEmpty())
            return false;
        if (const QString why = TextSideWriter::whyNotWritableTarget(path); !why.isEmpty()) {
            failure = FileWriteFailure::NotRegularFile;
            continue;
        }
        agreed = FileIdentity();
        ok = writer.write(text, path, &failure, &agreed, &written);
    }
    file(side) = path;
    textView(side)->document()->setModified(false);
    st.readOk = true;
    st.info = writer.writtenInfo(path, written);
    st.declined = FileIdentity();
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

bool MergeEditWndCtr::confirmReplacingChangedFile(int side, FileIdentity *agreed, bool always)
{
    // The window is told of changes on disk only when it becomes key; a file rewritten while the
    // window stayed in front would otherwise be replaced unseen. The save then writes only what
    // was looked at here: anything else by then is asked about again.
    const SideState &st = state(side);
    QString leadsTo;
    const FileIdentity now = IdentityNow(file(side), st.info.identity, &leadsTo);
    *agreed = st.info.identity.known ? now : FileIdentity();
    if (!always) {
        if (!st.info.identity.known || now == st.info.identity)
            return true;
        if (!now.exists)
            return true; // a vanished file is written again (only while nothing stands there)
        if (now == st.declined)
            return true; // the user already chose the window's text over this change
    }
    QString text =
        FillFormat(L_("The file \"%@\" was changed by another application since it was read."),
                   {LocalPath_Shown(file(side))});
    // A name that leads elsewhere now (a link re-pointed, a folder swapped) says where.
    if (now.exists && (now.file.device != st.info.identity.file.device ||
                       now.file.inode != st.info.identity.file.inode))
        if (!leadsTo.isEmpty() &&
            leadsTo != QDir::cleanPath(QDir::current().absoluteFilePath(file(side))))
            text += QStringLiteral("\n") +
                    FillFormat(L_("It now leads to \"%@\"."), {LocalPath_Shown(leadsTo)});
    return AskBeforeUndoable(L_("Warning"),
                             text + QStringLiteral("\n\n") + L_("Saving replaces those changes."),
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

bool MergeEditWndCtr::hasUnsavedText(int side) const
{
    // An untitled side left empty holds nothing to keep, whatever was typed and taken back.
    const QString &path = side == 1 ? mFile1 : mFile2;
    return mTextWasEdited(side) && (!path.isEmpty() || !textView(side)->document()->isEmpty());
}

QStringList MergeEditWndCtr::unsavedSideNames() const
{
    QStringList names;
    QList<int> sides;
    for (int side : {1, 2}) {
        if (!hasUnsavedText(side))
            continue;
        const QString &path = side == 1 ? mFile1 : mFile2;
        names << (path.isEmpty() ? L_("Untitled") : LocalPath_Shown(QFileInfo(path).fileName()));
        sides << side;
    }
    // Two sides of one name are told apart by their places.
    if (names.size() == 2 && names[0] == names[1])
        for (int i = 0; i < 2; ++i)
            names[i] = FillFormat(sides[i] == 1 ? L_("%@ (left)") : L_("%@ (right)"), {names[i]});
    return names;
}

bool MergeEditWndCtr::windowShouldClose()
{
    const QStringList names = unsavedSideNames();
    if (names.isEmpty())
        return true;
    const int answer =
        ShowMessage2(L_("Warning"),
                     FillFormat(L_("Do you want to save the changes made to the document \"%@\"?"),
                                {names.join(QStringLiteral("\", \""))}),
                     L_("Save"), L_("Discard and Close"), L_("Cancel"));
    if (answer == 1000) {
        for (int side : {1, 2})
            if (hasUnsavedText(side) && !SaveSide(side))
                return false;
        return true;
    }
    return answer == 1001;
}
