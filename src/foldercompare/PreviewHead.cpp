#include "foldercompare/PreviewHead.h"

#include "platform/LocalPath.h"

#include <QFile>

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

namespace {

PreviewHead readHead(QFile &file)
{
    PreviewHead head;
    head.read = true;
    head.size = file.size();
    const QByteArray bytes = file.read(kPreviewHeadBytes);
    head.binary = bytes.left(kBinaryProbeBytes).contains('\0');
    head.text = QString::fromUtf8(bytes);
    markOtherBreaks(head.text);
    return head;
}

} // namespace

PreviewHead ReadPreviewHead(const QString &path)
{
    const std::unique_ptr<QFile> file = LocalPath_OpenRegularFile(path);
    return file ? readHead(*file) : PreviewHead();
}

PreviewHead ReadOpenPreviewHead(platform::UniqueFd file)
{
    QFile opened;
    if (!file.isOpen() ||
        !opened.open(file.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return PreviewHead();
    file.release();
    return readHead(opened);
}
