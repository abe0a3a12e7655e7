#include "services/Appearance.h"

#include "platform/Guard.h"
#include "services/AppSetting.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QWidget>
#include <cmath>

bool IsApplicationPaletteDark()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return false;
    return QGuiApplication::palette().color(QPalette::Window).lightnessF() < 0.5;
}

namespace {
std::function<bool()> &appearanceProbe()
{
    static std::function<bool()> probe;
    return probe;
}
} // namespace

bool CurrentAppearanceIsDark()
{
    const auto &probe = appearanceProbe();
    return probe ? probe() : IsApplicationPaletteDark();
}

void SetAppearanceProbe(std::function<bool()> probe)
{
    appearanceProbe() = std::move(probe);
}

bool IsDarkModeSupported()
{
    return true;
}

namespace {

double distanceToWhite(const platform::Color &c)
{
    const auto rgb = c.usingColorSpace(platform::ColorSpace::CalibratedRGB);
    if (!rgb)
        return 1.0;
    const double dr = 1.0 - rgb->redComponent(), dg = 1.0 - rgb->greenComponent(),
                 db = 1.0 - rgb->blueComponent();
    return std::sqrt(dr * dr + dg * dg + db * db);
}

// A white I-beam with a dark outline, so it shows on dark backgrounds.
QCursor makeWhiteBeam()
{
    QPixmap pixmap(16, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const auto stroke = [&](const QColor &color, qreal width) {
        p.setPen(QPen(color, width, Qt::SolidLine, Qt::SquareCap));
        p.drawLine(QPointF(8, 3), QPointF(8, 20));
        p.drawLine(QPointF(5, 2), QPointF(11, 2));
        p.drawLine(QPointF(5, 21), QPointF(11, 21));
    };
    stroke(QColor(0, 0, 0, 160), 3);
    stroke(Qt::white, 1);
    p.end();
    return QCursor(pixmap, 8, 12);
}

} // namespace

QCursor GetTextBeamCursorBaseOnBackGroundColor(const platform::Color &background)
{
    if (!background.isValid() || background == platform::Color::white() ||
        distanceToWhite(background) < 0.5)
        return QCursor(Qt::IBeamCursor);
    static const QCursor whiteBeam = makeWhiteBeam();
    return whiteBeam;
}

void UpdateCurrentTextSpellingSettingForWindowOrControl(QObject *windowOrControl)
{
    GUARD_BEGIN
    const auto isTextEditor = [](const QObject *o) {
        return o && (o->inherits("QPlainTextEdit") || o->inherits("QTextEdit"));
    };
    QObject *target = windowOrControl;
    if (auto *widget = qobject_cast<QWidget *>(windowOrControl);
        widget && widget->isWindow() && !isTextEditor(widget))
        target = widget->focusWidget();
    if (!isTextEditor(target))
        return;
    // Qt's text editors have no spell checker: the flags travel with the editor so that a checker
    // added later finds them, and nothing else changes.
    target->setProperty("continuousSpellChecking",
                        gAppSetting.spelling_ContinuousSpellCheckingEnabled != 0);
    target->setProperty("grammarChecking", gAppSetting.spelling_GrammarCheckingEnabled != 0);
    target->setProperty("automaticSpellingCorrection",
                        gAppSetting.spelling_AutomaticSpellingCorrectionEnabled != 0);
    GUARD_END_VOID
}
