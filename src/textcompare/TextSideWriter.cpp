#include "textcompare/TextSideWriter.h"

#include "platform/LocalPath.h"
#include "services/AppSetting.h"
#include "services/Localization.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

int recordPermissions(const AppSetting &s)
{
    const quint8 bits[9] = {
        s.save_Permission_Owner_R,  s.save_Permission_Owner_W,  s.save_Permission_Owner_X,
        s.save_Permission_Group_R,  s.save_Permission_Group_W,  s.save_Permission_Group_X,
        s.save_Permission_Others_R, s.save_Permission_Others_W, s.save_Permission_Others_X};
    int mode = 0;
    for (int i = 0; i < 9; ++i)
        if (bits[i])
            mode |= 0400 >> i;
    return mode;
}

int filePermissions(const QString &path)
{
    struct stat sb;
    if (::stat(LocalPath_ToBytes(path).constData(), &sb) != 0)
        return -1;
    return int(sb.st_mode & 07777);
}

} // namespace

TextSideWriter::TextSideWriter(const TextFileInfo &shownAs, const AppSetting &settings)
    : mShownAs(shownAs)
{
    if (settings.bSave_IgnoreCoding_UseCustomCoding) {
        mOptions.encoding = platform::StringEncoding(settings.save_Coding_preferEncode);
        mOptions.endLine = END_LINE_TYPE(std::clamp(int(settings.save_Coding_EndLine), 0, 2));
        mOptions.writeBOM = settings.save_Coding_BOM != 0;
    } else {
        mOptions.encoding = shownAs.encoding;
        mOptions.endLine = shownAs.endLine;
        mOptions.writeBOM = shownAs.hasBOM;
    }
    if (mOptions.encoding == 0)
        mOptions.encoding = platform::Encoding::UTF8;
    mOptions.convertLineEnds = true;
    mOptions.permissions =
        settings.bSave_IgnorePermission_UseCustomPermission ? recordPermissions(settings) : -1;
}

QString TextSideWriter::whyNotWritableTarget(const QString &path)
{
    const LocalPathInfo fi(path);
    // A missing file may be written (it vanished, or the user chose a new name); anything but a
    // regular file would be replaced by one.
    if (!fi.exists() && !fi.isSymLink())
        return QString();
    if (fi.isDir())
        return L_("It is a folder.");
    if (!fi.isFile())
        return L_("It is not a regular file.");
    return QString();
}

QString TextSideWriter::whyNotWritableInPlace(bool readOk, const QString &path)
{
    // What the pane shows did not come from this file: writing it would replace content the
    // user never saw.
    if (!readOk)
        return L_("The file could not be read, so the window does not show its content. Saving "
                  "would replace it.");
    return whyNotWritableTarget(path);
}

bool TextSideWriter::canEncode(const QString &text) const
{
    return !App_EncodeTextBytes(text, mOptions).isNull();
}

void TextSideWriter::useUtf8()
{
    mOptions.encoding = platform::Encoding::UTF8;
    mOptions.writeBOM = false;
}

bool TextSideWriter::write(const QString &text, const QString &path, FileWriteFailure *failure,
                           const FileIdentity *expected, FileIdentity *written) const
{
    return App_WriteStringToFile(text, path, mOptions, failure, expected, written);
}

TextFileInfo TextSideWriter::writtenInfo(const QString &path, const FileIdentity &written) const
{
    TextFileInfo info = mShownAs;
    info.encoding = mOptions.encoding;
    info.hasBOM = mOptions.writeBOM;
    info.endLine = mOptions.endLine;
    info.hasNulChar = false;
    info.permissions = filePermissions(path);
    info.identity = written;
    return info;
}
