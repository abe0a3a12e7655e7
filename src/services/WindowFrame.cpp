#include "services/WindowFrame.h"

#include "platform/Guard.h"
#include "platform/Saturate.h"
#include "platform/UserDefaults.h"
#include "services/Localization.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {

QString frameKey(const QString &owner, const char *part)
{
    return QStringLiteral("winFrame_%1_%2").arg(owner, QLatin1String(part));
}

// The screen area the frame should stay on: the screen under its centre, else the primary one.
QRect availableAreaFor(const QRectF &frame)
{
    QScreen *screen = QGuiApplication::screenAt(frame.center().toPoint());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QRectF holdOnScreen(QRectF frame)
{
    const QRect area = availableAreaFor(frame);
    if (area.isEmpty())
        return frame;
    frame.setWidth(std::min(frame.width(), double(area.width())));
    frame.setHeight(std::min(frame.height(), double(area.height())));
    frame.moveLeft(std::clamp(frame.left(), double(area.left()),
                              double(area.left() + area.width()) - frame.width()));
    frame.moveTop(std::clamp(frame.top(), double(area.top()),
                             double(area.top() + area.height()) - frame.height()));
    return frame;
}

int saturatedInt(double v)
{
    // A stored frame of infinite size is no frame; finite ones stay well inside the screen range.
    if (std::isinf(v))
        return 0;
    return platform::saturatingTruncate<int>(std::clamp(v, -1.0e9, 1.0e9));
}

} // namespace

QString WindowFrameOwnerName(const QObject *owner)
{
    if (!owner)
        return {};
    return QString::fromLatin1(owner->metaObject()->className()) +
           owner->property("windowNibName").toString();
}

void Save_Window_Frame(QWidget *window, const QObject *owner)
{
    GUARD_BEGIN
    if (!window || !owner)
        return;
    const QString name = WindowFrameOwnerName(owner);
    const QRect frame = window->geometry();
    auto &defaults = platform::UserDefaults::standard();
    defaults.setDouble(frame.x(), frameKey(name, "x"));
    defaults.setDouble(frame.y(), frameKey(name, "y"));
    defaults.setDouble(frame.width(), frameKey(name, "w"));
    defaults.setDouble(frame.height(), frameKey(name, "h"));
    defaults.synchronize();
    GUARD_END_VOID
}

QRectF Load_Window_Frame(QWidget *window, const QObject *owner)
{
    GUARD_BEGIN
    if (!window || !owner)
        return {};
    const QString name = WindowFrameOwnerName(owner);
    const auto &defaults = platform::UserDefaults::standard();
    const QRectF frame(
        defaults.doubleForKey(frameKey(name, "x")), defaults.doubleForKey(frameKey(name, "y")),
        defaults.doubleForKey(frameKey(name, "w")), defaults.doubleForKey(frameKey(name, "h")));
    if (!(frame.width() >= 1) || !(frame.height() >= 1) || !std::isfinite(frame.x()) ||
        !std::isfinite(frame.y()) || !std::isfinite(frame.width()) ||
        !std::isfinite(frame.height()))
        return {};
    return holdOnScreen(frame);
    GUARD_END({})
}

void Localize_LoadWindowPos_SetBackground(QWidget *window, const QObject *owner,
                                          const platform::Color &bg, bool centre)
{
    GUARD_BEGIN
    if (!window)
        return;
    LocalizeAllControlsInViewOrWindow(window);
    if (bg.isValid()) {
        QPalette palette = window->palette();
        palette.setColor(QPalette::Window, bg.toQColor());
        window->setPalette(palette);
        window->setAutoFillBackground(true);
    }
    const QRectF frame = Load_Window_Frame(window, owner);
    if (!frame.isEmpty()) {
        window->setGeometry(saturatedInt(frame.x()), saturatedInt(frame.y()),
                            saturatedInt(frame.width()), saturatedInt(frame.height()));
    } else if (centre) {
        const QRect area = availableAreaFor(window->geometry());
        if (!area.isEmpty()) {
            QRect g = window->geometry();
            g.moveCenter(area.center());
            window->setGeometry(g);
        }
    }
    GUARD_END_VOID
}
