#include "themes/MyColorWellHistory.h"

#include <QCoreApplication>
#include <QHash>
#include <QPair>
#include <cmath>

#include "graphics/ColorPixel.h"
#include "platform/UserDefaults.h"

using platform::Color;

namespace {

constexpr int kColumns = 36;
constexpr int kRows = 8;
// Insertions go behind the first six entries once there are that many.
constexpr int kPinnedCount = 6;
constexpr double kSimilarTolerance = 0.13;

QString historyKey(int index)
{
    return QStringLiteral("MyColorWellHistory%1").arg(index);
}

quint64 channelByte(double component)
{
    if (std::isnan(component) || component <= 0)
        return 0;
    const double v = component * 255.0;
    return v >= 255.0 ? 255 : quint64(v);
}

bool isSimilar(const Color &a, const Color &b)
{
    if (!a.isValid() || !b.isValid())
        return false;
    float r1, g1, b1, a1, r2, g2, b2, a2;
    if (!GetColorComponents_ForMyColorWell(a, &r1, &g1, &b1, &a1) ||
        !GetColorComponents_ForMyColorWell(b, &r2, &g2, &b2, &a2))
        return false;
    const double d =
        std::fabs(r1 - r2) + std::fabs(g1 - g2) + std::fabs(b1 - b2) + std::fabs(a1 - a2);
    return d < kSimilarTolerance;
}

QHash<QPair<qint64, qint64>, Color> &palette()
{
    static QHash<QPair<qint64, qint64>, Color> cells;
    return cells;
}

MyColorWellHistory *gHistory = nullptr;

} // namespace

MyColorWellHistory::MyColorWellHistory()
{
    if (auto *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this,
                &MyColorWellHistory::applicationWillTerminate);
    load();
}

void MyColorWellHistory::load()
{
    mColorArray.clear();
    auto &defaults = platform::UserDefaults::standard();
    for (int i = 0; i < kMaxCount; ++i) {
        const QString text = defaults.stringForKey(historyKey(i)).trimmed();
        if (text.isEmpty())
            break;
        bool ok = false;
        const qint64 value = text.toLongLong(&ok);
        // A value that is not a number reads as 0, which ends the history like a stored 0.
        if (!ok || value == 0 || value < 0 || quint64(value) > 0xFFFFFFFFull)
            break;
        mColorArray.append(ColorFromHexColor_ForMyColorWell(quint64(value)));
    }
    if (mColorArray.isEmpty())
        mColorArray = {Color::red(),  Color::green(),   Color::blue(),   Color::yellow(),
                       Color::cyan(), Color::magenta(), Color::orange(), Color::purple()};
}

void MyColorWellHistory::addColor(const Color &color)
{
    if (!color.isValid())
        return;
    if (isSimilar(color, Color::white()) || isSimilar(color, Color::black()))
        return;
    if (mColorArray.isEmpty()) {
        mColorArray.append(color);
        return;
    }
    for (qsizetype i = 0; i < mColorArray.size(); ++i) {
        if (!mColorArray[i].isValid()) {
            mColorArray.removeAt(i);
            break;
        }
        if (isSimilar(color, mColorArray[i]))
            return;
    }
    mColorArray.insert(mColorArray.size() < kPinnedCount ? 0 : kPinnedCount, color);
    while (mColorArray.size() > kMaxCount)
        mColorArray.removeLast();
}

void MyColorWellHistory::applicationWillTerminate()
{
    if (mColorArray.isEmpty())
        return;
    auto &defaults = platform::UserDefaults::standard();
    int i = 0;
    for (; i < mColorArray.size() && i < kMaxCount; ++i) {
        const quint64 word = GetHexColor_ForMyColorWell(mColorArray[i]);
        if (!mColorArray[i].isValid() || word == 0)
            break;
        defaults.setString(QString::number(word), historyKey(i));
    }
    // The reader stops at the first 0, so keys left from a longer history must not survive
    // behind the end of this one.
    if (i < kMaxCount) {
        defaults.setString(QStringLiteral("0"), historyKey(i));
        for (int k = i + 1; k < kMaxCount; ++k)
            defaults.removeObjectForKey(historyKey(k));
    }
    defaults.synchronize();
}

MyColorWellHistory *gMyColorWellHistory(bool create)
{
    if (!gHistory && create)
        gHistory = new MyColorWellHistory; // lives for the process
    return gHistory;
}

quint64 GetHexColor_ForMyColorWell(const Color &color)
{
    if (!color.isValid())
        return 0xFFFFFFFFull;
    Color rgb = color;
    if (color.colorSpace() != platform::ColorSpace::CalibratedRGB) {
        const auto converted = color.usingColorSpace(platform::ColorSpace::CalibratedRGB);
        if (!converted)
            return 0xFFFFFFFFull;
        rgb = *converted;
    }
    return (channelByte(rgb.redComponent()) << 24) | (channelByte(rgb.greenComponent()) << 16) |
           (channelByte(rgb.blueComponent()) << 8) | channelByte(rgb.alphaComponent());
}

bool GetColorComponents_ForMyColorWell(const Color &color, float *r, float *g, float *b, float *a)
{
    return GetColorComponents(color, r, g, b, a);
}

Color ColorFromHexColor_ForMyColorWell(quint64 word)
{
    if (word > 0xFFFFFFFFull)
        return {};
    return Color::calibratedRGB(double((word >> 24) & 0xFF) / 255.0,
                                double((word >> 16) & 0xFF) / 255.0,
                                double((word >> 8) & 0xFF) / 255.0, double(word & 0xFF) / 255.0);
}

void GenerateMyColorWellPalette()
{
    auto &cells = palette();
    if (!cells.isEmpty())
        return;
    gMyColorWellHistory(true);
    for (int row = 2; row < kRows; ++row)
        for (int c = 0; c < kColumns; ++c)
            cells.insert({c, row},
                         Color::calibratedRGB((row - 2) / 5.0, (c % 6) / 5.0, (c / 6) / 5.0, 1.0));
    for (int c = 0; c < kColumns; ++c) {
        const double g = c / 35.0;
        cells.insert({c, 1}, Color::calibratedRGB(g, g, g, 1.0));
        cells.insert({c, 0}, Color::white());
    }
}

Color MyColorWellColorAt(qint64 column, qint64 row)
{
    GenerateMyColorWellPalette();
    if (row == 0 && column >= 0) {
        if (auto *history = gMyColorWellHistory(false)) {
            const auto colors = history->colorArray();
            if (colors.size() > column)
                return colors[column]; // an invalid entry stays "no colour"
        }
    }
    return palette().value({column, row}, Color::white());
}
