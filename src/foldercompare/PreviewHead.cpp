#include "foldercompare/PreviewHead.h"

#include "platform/UniqueFd.h"
#include "services/FileBytes.h"
#include "services/LocalPath.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr qsizetype kBinaryProbeBytes = 8192;

// One line of text per "\n": what else would start a new line in the view is shown as a mark.
void markOtherBreaks(QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'\r' && (i + 1 == text.size() || text.at(i + 1) != u'\n'))
            text[i] = QChar(0x240D); // SYMBOL FOR CARRIAGE RETURN
        else if (c == QChar::ParagraphSeparator || c == 0xfdd0 || c == 0xfdd1)
            text[i] = QChar(QChar::ReplacementCharacter);
    }
}

} // namespace

PreviewHead ReadPreviewHead(const QString &path)
{
    PreviewHead head;
    if (path.isEmpty())
        return head;
    const platform::UniqueFd fd(
        ::open(LocalPath_ToBytes(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st;
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return head;
    QByteArray bytes;
    if (ReadBytesAt(fd.get(), 0, std::min<qint64>(st.st_size, kPreviewHeadBytes), &bytes) != 0)
        return head;
    head.read = true;
    head.binary = bytes.left(kBinaryProbeBytes).contains('\0');
    head.text = QString::fromUtf8(bytes);
    markOtherBreaks(head.text);
    return head;
}
