#include "themes/DarkModeProbe.h"

#include "graphics/PelkoNSColor.h"
#include "platform/GraphicsContext.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/ModalRun.h"
#include "platform/SystemColors.h"
#include "services/AppSetting.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QThread>
#include <QVBoxLayout>

namespace {

// A text whose bytes add up to this much or more is light, so the window behind it is dark.
constexpr int kDarkTextSum = 383;

} // namespace

MyCheckDarkModeView::MyCheckDarkModeView(QWidget *parent) : QWidget(parent)
{}

void MyCheckDarkModeView::paintEvent(QPaintEvent *)
{
    GUARD_BEGIN
    QPainter painter(this);
    platform::GraphicsContextScope scope(&painter, true, !mDrawingOffscreen);

    const PIXEL px = toPixel(platform::textColor());
    const int r = int(px & 0xFF), g = int((px >> 8) & 0xFF), b = int((px >> 16) & 0xFF);
    platform::Log(lcThemes,
                  QStringLiteral("MyCheckDarkModeView px: %1 , %2 , %3").arg(r).arg(g).arg(b));
    const bool dark = r + g + b >= kDarkTextSum;

    if (scope.context().isDrawingToScreen()) {
        SetDarkModeCacheValue(dark ? 1 : 0);
        gAppSetting.bIsDarkMode = dark ? 1 : 0;
    }
    interfaceStyleStr = dark ? QStringLiteral("Dark") : QStringLiteral("Light");

    platform::setFill(platform::windowBackgroundColor());
    scope.context().fillRect(QRectF(rect()));
    GUARD_END_VOID
}

MyCheckDarkModeDlg::MyCheckDarkModeDlg(const QString &windowNibName)
    : platform::WindowController(windowNibName)
{}

MyCheckDarkModeDlg *MyCheckDarkModeDlg::getCurrent()
{
    static MyCheckDarkModeDlg *current = nullptr;
    if (current)
        return current;
    current = new MyCheckDarkModeDlg(QStringLiteral("MyCheckDarkModeDlg"));
    QWidget *w = current->window();
    if (!w) {
        REPORT_FATAL();
        return current;
    }
    w->setGeometry(0, 0, 10, 10);
    return current;
}

QWidget *MyCheckDarkModeDlg::makeWindow()
{
    auto *panel = new QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint);
    panel->setObjectName(QStringLiteral("MyCheckDarkModeDlg"));
    panel->setAttribute(Qt::WA_ShowWithoutActivating);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    checkView = new MyCheckDarkModeView(panel);
    layout->addWidget(checkView);
    mPanel = panel;
    return panel;
}

void MyCheckDarkModeDlg::update_interfaceStyleStr()
{
    platform::Log(lcThemes, QStringLiteral("MyCheckDarkModeDlg: windowDidLoad: mainthread %1")
                                .arg(QThread::currentThread() == qApp->thread() ? 1 : 0));
    if (!checkView)
        return;
    QImage image(checkView->size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    checkView->mDrawingOffscreen = true;
    checkView->render(&image);
    checkView->mDrawingOffscreen = false;
    interfaceStyleStr = checkView->interfaceStyleStr;
}

void MyCheckDarkModeDlg::close(QObject *)
{
    cancelButtonClicked();
}

void MyCheckDarkModeDlg::cancelButtonClicked()
{
    stopModalWithCode(0);
}

void MyCheckDarkModeDlg::ctrlQApp()
{
    stopModalWithCode(0);
}

void MyCheckDarkModeDlg::okButtonClicked()
{
    stopModalWithCode(1);
}

void MyCheckDarkModeDlg::stopModalWithCode(int code)
{
    platform::stopModalWithCode(window(), code);
}
