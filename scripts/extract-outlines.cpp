// Writes glyph outlines of a font file as path element lists, one glyph a line, for the path
// operations' test data (tests/pathops/data/outlines.txt). Not part of the build:
//   g++ -std=c++20 -fPIC scripts/extract-outlines.cpp $(pkg-config --cflags --libs Qt6Gui) \
//       -o /tmp/extract-outlines
//   QT_QPA_PLATFORM=offscreen /tmp/extract-outlines LABEL FONTFILE EM CHARACTERS...
// Each line reads "LABEL/CHARACTER M x y L x y C x1 y1 x2 y2 x y Z ...", y pointing down, the
// em EM units high; a CHARACTER argument of one letter is that letter, a longer one a code point
// in hexadecimal.
#include <QGuiApplication>
#include <QPainterPath>
#include <QRawFont>
#include <QTextStream>
#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: extract-outlines LABEL FONTFILE EM CHARACTERS...\n");
        return 2;
    }
    const QString label = QString::fromLocal8Bit(argv[1]);
    const QRawFont font(QString::fromLocal8Bit(argv[2]), QString::fromLatin1(argv[3]).toDouble());
    if (!font.isValid()) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    QTextStream out(stdout);
    out.setRealNumberPrecision(17);
    for (int i = 4; i < argc; ++i) {
        const QString arg = QString::fromUtf8(argv[i]);
        const char32_t code = arg.size() == 1 ? arg[0].unicode() : arg.toUInt(nullptr, 16);
        const QList<quint32> glyphs = font.glyphIndexesForString(QString::fromUcs4(&code, 1));
        if (glyphs.isEmpty() || glyphs[0] == 0)
            continue;
        const QPainterPath path = font.pathForGlyph(glyphs[0]);
        out << label << '/' << (arg.size() == 1 ? arg : QStringLiteral("U+") + arg.toUpper());
        bool open = false;
        for (int k = 0; k < path.elementCount(); ++k) {
            const QPainterPath::Element e = path.elementAt(k);
            switch (e.type) {
            case QPainterPath::MoveToElement:
                out << (open ? " Z M " : " M ") << e.x << ' ' << e.y;
                open = true;
                break;
            case QPainterPath::LineToElement:
                out << " L " << e.x << ' ' << e.y;
                break;
            case QPainterPath::CurveToElement: {
                const QPainterPath::Element c2 = path.elementAt(k + 1);
                const QPainterPath::Element to = path.elementAt(k + 2);
                out << " C " << e.x << ' ' << e.y << ' ' << c2.x << ' ' << c2.y << ' ' << to.x
                    << ' ' << to.y;
                k += 2;
                break;
            }
            default:
                break;
            }
        }
        if (open)
            out << " Z";
        out << '\n';
    }
    return 0;
}
