#include "layers/TextDrawing.h"

#include "layers/LayerDrawing.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>
#include <cmath>

namespace {

constexpr double kNoLimit = 1e7;

} // namespace

TextBlockLayout::TextBlockLayout(const QString &text, const TextDrawAttributes &attributes,
                                 QSizeF box)
    : mColor(attributes.color), mAlignment(attributes.paragraphStyle.textOption().alignment())
{
    QFont font = attributes.font;
    font.setUnderline(attributes.underline);
    font.setStrikeOut(attributes.strikeThrough);
    // Paragraph separators of a plain string are line breaks.
    QString laidOut = text;
    laidOut.replace(QLatin1Char('\n'), QChar::LineSeparator);
    laidOut.replace(QLatin1Char('\r'), QChar::LineSeparator);
    mLayout = std::make_unique<QTextLayout>(laidOut, font);
    QTextOption option = attributes.paragraphStyle.textOption();
    // Lines are placed by hand, so the layout itself aligns nothing.
    option.setAlignment(Qt::AlignLeft);
    mLayout->setTextOption(option);
    mLayout->setCacheEnabled(true);
    const double width = box.width() > 0 ? box.width() : kNoLimit;
    double y = 0;
    double widest = 0;
    mLayout->beginLayout();
    for (QTextLine line = mLayout->createLine(); line.isValid(); line = mLayout->createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
        widest = std::max(widest, line.naturalTextWidth());
    }
    mLayout->endLayout();
    mSize = QSizeF(std::ceil(widest), std::ceil(y));
}

void TextBlockLayout::drawInRect(const QRectF &rect) const
{
    drawUprightInRect(rect, [&](QPainter *painter) {
        painter->setPen(mColor.toQColor());
        for (int i = 0; i < mLayout->lineCount(); ++i) {
            const QTextLine line = mLayout->lineAt(i);
            const double room = rect.width() - line.naturalTextWidth();
            double x = 0;
            if (mAlignment & Qt::AlignHCenter)
                x = room / 2;
            else if (mAlignment & Qt::AlignRight)
                x = room;
            line.draw(painter, QPointF(x - line.x(), 0));
        }
    });
}

void TextBlockLayout::drawAtPoint(QPointF point) const
{
    drawInRect(QRectF(point, mSize));
}

QSizeF richTextSize(const QTextDocument *text)
{
    if (!text)
        return QSizeF();
    std::unique_ptr<QTextDocument> measured(text->clone());
    measured->setTextWidth(-1);
    return measured->documentLayout()->documentSize();
}

void drawRichTextAtPoint(const QTextDocument *text, QPointF point)
{
    if (!text)
        return;
    drawUprightInRect(QRectF(point, richTextSize(text)), [&](QPainter *painter) {
        QAbstractTextDocumentLayout::PaintContext context;
        text->documentLayout()->draw(painter, context);
    });
}
