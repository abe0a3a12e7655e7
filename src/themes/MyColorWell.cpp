#include "themes/MyColorWell.h"

#include <QApplication>
#include <QColorDialog>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QHelpEvent>
#include <QImage>
#include <QMetaMethod>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>
#include <QVBoxLayout>
#include <mutex>

#include "platform/BezierPath.h"
#include "platform/Dispatch.h"
#include "platform/Geometry.h"
#include "platform/GraphicsContext.h"
#include "platform/Log.h"
#include "platform/SystemColors.h"
#include "services/Localization.h"
#include "services/SupportFolder.h"
#include "themes/MyColorWellGridView.h"
#include "themes/MyColorWellHistory.h"

using platform::BezierPath;
using platform::Color;

namespace {

constexpr double kCornerRadius = 4.0;
constexpr double kButtonWidth = 21.0;
constexpr double kIndicatorSide = 13.0;
// The size the well asks for in layouts; fixed, so a layout pass cannot make it grow.
constexpr int kHintWidth = 52;
constexpr int kHintHeight = 23;
const char *const kImageLock = "gLock_PathOperationDialog";

QPointer<QColorDialog> gColorPanel;
QPointer<MyColorWell> gColorPanelTarget;

// A rectangle whose left and/or right corners are rounded.
BezierPath roundedPath(const QRectF &r, double radius, bool roundLeft, bool roundRight)
{
    BezierPath path;
    path.moveToPoint(QPointF(r.center().x(), r.top()));
    auto corner = [&](QPointF at, QPointF toward, bool round) {
        if (round)
            path.appendBezierPathWithArcFromPoint(at, toward, radius);
        else
            path.lineToPoint(at);
    };
    corner(r.topRight(), r.bottomRight(), roundRight);
    corner(r.bottomRight(), r.bottomLeft(), roundRight);
    corner(r.bottomLeft(), r.topLeft(), roundLeft);
    corner(r.topLeft(), r.topRight(), roundLeft);
    path.closePath();
    return path;
}

const QImage &buttonImage()
{
    static const QImage image = [] {
        const QString path = GetBundleResourcePath(QStringLiteral("images/MyColorWell.png"));
        return path.isNull() ? QImage() : QImage(path);
    }();
    return image;
}

double backingScaleFactor()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

} // namespace

// Tells the bound well when the colour panel goes away (closed by the user or by the well).
class MyColorWellPanelWatcher : public QObject
{
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && watched == gColorPanel && gColorPanelTarget)
            gColorPanelTarget->handleWindowWillCloseNotification();
        return false;
    }
};

// The popover frame: hands the grid back to its well when it closes.
class MyColorWellPopover : public QFrame
{
public:
    MyColorWellPopover(MyColorWell *well) : QFrame(well, Qt::Popup), mWell(well)
    {
        setFrameShape(QFrame::StyledPanel);
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
    }

protected:
    void hideEvent(QHideEvent *event) override
    {
        QFrame::hideEvent(event);
        if (mWell && mWell->mColorGridView && mWell->mColorGridView->parent() == this) {
            mWell->mColorGridView->hide();
            mWell->mColorGridView->setParent(mWell);
        }
        deleteLater();
    }

private:
    QPointer<MyColorWell> mWell;
};

MyColorWell::MyColorWell(QWidget *parent) : QAbstractButton(parent)
{
    platform::monitor(kImageLock);
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setAcceptDrops(true);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
    mActivateObserver = platform::NotificationCenter::defaultCenter().addObserver(
        DFColor_hasOneItemWithColorPanelActivate, nullptr,
        [this](const platform::Notification &note) { hasOneItemWithColorPanelActivate(note); });
    generateColors();
}

MyColorWell::~MyColorWell()
{
    mActivateObserver.reset();
    if (gColorPanelTarget == this) {
        unbindPanel();
        mShouldDrawButtonRegionWithSelectedColor = false;
        platform::NotificationCenter::defaultCenter().postNotification(
            DFColor_hasOneItemWithColorPanelActivate, nullptr);
    }
}

void MyColorWell::setColor(const Color &color)
{
    if (color.isValid())
        setColorToControl(color, false);
}

quint64 MyColorWell::hexColor() const
{
    return GetHexColor_ForMyColorWell(mColor);
}

void MyColorWell::setHexColor(quint64 word)
{
    if (word <= 0xFFFFFFFFull)
        SETCOLOR(ColorFromHexColor_ForMyColorWell(word));
}

void MyColorWell::setColorToControl(const Color &color, bool needSendAction)
{
    if (!color.isValid())
        return;
    mColor = color;
    update();
    emit colorChanged(mColor);
    if (needSendAction && isSignalConnected(QMetaMethod::fromSignal(&MyColorWell::action))) {
        const QWidget *owner = window();
        if (owner && !owner->isVisible()) {
            platform::Log(lcThemes, QStringLiteral("This window is hidden"));
        } else {
            emit action(this);
            platform::performAfterDelay(this, 0.1, [this, color] { setColor_Later_Save(color); });
        }
    }
    if (mPopover && mPopover->isVisible())
        closePopover();
}

void MyColorWell::setColor_Later_Save(const Color &color)
{
    if (color.isValid())
        gMyColorWellHistory(true)->addColor(color);
}

QRectF MyColorWell::colorSwatchFrame() const
{
    return QRectF(0.25, 0.25, width() - 22.0, height() - 1.0);
}

QRectF MyColorWell::buttonFrame() const
{
    const QRectF swatch = colorSwatchFrame();
    return QRectF(swatch.right() + 0.25, 0.25, kButtonWidth, height() - 1.0);
}

QRectF MyColorWell::mouseOverIndicatorFrame() const
{
    const QRectF swatch = colorSwatchFrame();
    return QRectF(swatch.right() - kIndicatorSide - 4.0, (height() - 1.0 - kIndicatorSide) / 2.0,
                  kIndicatorSide, kIndicatorSide);
}

void MyColorWell::generateColors()
{
    GenerateMyColorWellPalette();
}

Color MyColorWell::colorWell(MyColorWell *, qint64 column, qint64 row) const
{
    return MyColorWellColorAt(column, row);
}

void MyColorWell::drawColorSwatchWithFrame(const QRectF &frame, const Color &color,
                                           bool shouldDrawBorder)
{
    platform::GraphicsContext::saveGraphicsState();
    platform::setFill(Color::black());
    BezierPath::fillRect(frame);
    BezierPath triangle;
    triangle.moveToPoint(frame.bottomLeft());
    triangle.lineToPoint(frame.topRight());
    triangle.lineToPoint(frame.bottomRight());
    triangle.closePath();
    platform::setFill(Color::white());
    triangle.fill();
    if (color.isValid()) {
        platform::setFill(color);
        BezierPath::fillRect(frame);
    }
    if (shouldDrawBorder) {
        platform::setStroke(Color::darkGray().colorWithAlphaComponent(0.5));
        BezierPath::strokeRect(frame);
    }
    platform::GraphicsContext::restoreGraphicsState();
}

QColorDialog *MyColorWell::sharedColorPanel(bool create)
{
    if (!gColorPanel && create) {
        gColorPanel = new QColorDialog;
        gColorPanel->setOptions(QColorDialog::ShowAlphaChannel | QColorDialog::NoButtons |
                                QColorDialog::DontUseNativeDialog);
        gColorPanel->setModal(false);
        gColorPanel->setWindowTitle(L_(QStringLiteral("Colors")));
        gColorPanel->installEventFilter(new MyColorWellPanelWatcher(gColorPanel));
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, gColorPanel.data(),
                         &QObject::deleteLater);
    }
    return gColorPanel;
}

MyColorWell *MyColorWell::colorPanelTarget()
{
    return gColorPanelTarget;
}

void MyColorWell::unbindPanel()
{
    QObject::disconnect(mPanelColorConnection);
    mPanelColorConnection = {};
    if (gColorPanelTarget == this)
        gColorPanelTarget = nullptr;
}

void MyColorWell::deactivate()
{
    mShouldDrawButtonRegionWithSelectedColor = false;
    mShouldDrawDarkerButtonRegion = true;
    unbindPanel();
    update();
}

void MyColorWell::activate(bool)
{
    platform::Log(lcThemes,
                  QStringLiteral("MyColorWell does not support [activate:(BOOL)exclusive]"));
}

void MyColorWell::hasOneItemWithColorPanelActivate(const platform::Notification &note)
{
    if (note.object != this)
        deactivate();
}

void MyColorWell::colorChange_From_OS_Panel(const QColor &color)
{
    if (!color.isValid())
        return;
    setColorToControl(
        Color::calibratedRGB(color.redF(), color.greenF(), color.blueF(), color.alphaF()), true);
}

void MyColorWell::handleWindowWillCloseNotification()
{
    unbindPanel();
    mShouldDrawButtonRegionWithSelectedColor = false;
    update();
    platform::NotificationCenter::defaultCenter().postNotification(
        DFColor_hasOneItemWithColorPanelActivate, nullptr);
}

void MyColorWell::handleMouseUpInButtonRect()
{
    QColorDialog *panel = sharedColorPanel(true);
    if (!panel)
        return;
    if (!mShouldDrawButtonRegionWithSelectedColor) {
        mShouldDrawDarkerButtonRegion = false;
        mShouldDrawButtonRegionWithSelectedColor = true;
        update();
        panel->show();
        panel->raise();
        panel->activateWindow();
        if (gColorPanelTarget && gColorPanelTarget != this)
            gColorPanelTarget->unbindPanel();
        gColorPanelTarget = this;
        QObject::disconnect(mPanelColorConnection);
        mPanelColorConnection = connect(panel, &QColorDialog::currentColorChanged, this,
                                        &MyColorWell::colorChange_From_OS_Panel);
        platform::NotificationCenter::defaultCenter().postNotification(
            DFColor_hasOneItemWithColorPanelActivate, this);
    } else {
        mShouldDrawButtonRegionWithSelectedColor = false;
        mShouldDrawDarkerButtonRegion = true;
        update();
        panel->close();
    }
}

void MyColorWell::handleMouseUpInColorRect()
{
    if (!mColorGridView) {
        mColorGridView = new MyColorWellGridView(this);
        mColorGridView->hide();
        mColorGridView->colorWell = this;
        mColorGridView->setupOtherControls();
    }
    if (mPopover && mPopover->isVisible()) {
        closePopover();
        return;
    }
    auto *popover = new MyColorWellPopover(this);
    mPopover = popover;
    mColorGridView->setParent(popover);
    mColorGridView->setFixedSize(mColorGridView->intrinsicContentSize());
    popover->layout()->addWidget(mColorGridView);
    mColorGridView->show();
    popover->adjustSize();
    // Below the swatch, centred on it, kept on the screen.
    const QRectF swatch = colorSwatchFrame();
    QPoint at = mapToGlobal(QPoint(int(swatch.center().x()), int(swatch.bottom()) + 2));
    at.rx() -= popover->width() / 2;
    if (const QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        at.setX(qBound(area.left(), at.x(), qMax(area.left(), area.right() - popover->width())));
        at.setY(qBound(area.top(), at.y(), qMax(area.top(), area.bottom() - popover->height())));
    }
    popover->move(at);
    popover->show();
}

void MyColorWell::closePopover()
{
    if (mPopover)
        mPopover->close();
}

QString MyColorWell::toolTipAt(QPointF pos) const
{
    if (!toolTip().isEmpty())
        return toolTip();
    if (platform::PointInRect(pos, buttonFrame()))
        return L_(QStringLiteral("Click to show more colors or create your own."));
    return L_(QStringLiteral("Click to choose a color."));
}

QSize MyColorWell::sizeHint() const
{
    const int k = qFuzzyCompare(backingScaleFactor(), 2.0) ? 1 : 2;
    return QSize(kHintWidth - 1 + k, kHintHeight - 1 + k);
}

bool MyColorWell::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);
}

bool MyColorWell::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const QRectF region =
            platform::PointInRect(help->pos(), buttonFrame()) ? buttonFrame() : colorSwatchFrame();
        QToolTip::showText(help->globalPos(), toolTipAt(help->pos()), this, region.toAlignedRect());
        return true;
    }
    return QAbstractButton::event(event);
}

void MyColorWell::updateHover(QPointF pos)
{
    if (!isEnabled())
        return;
    const bool overSwatch = platform::PointInRect(pos, colorSwatchFrame());
    const bool overButton = platform::PointInRect(pos, buttonFrame());
    if (overSwatch != mShouldDrawMouseOverIndicator ||
        overButton != mShouldDrawDarkerButtonRegion) {
        mShouldDrawMouseOverIndicator = overSwatch;
        mShouldDrawDarkerButtonRegion = overButton;
        update();
    }
}

void MyColorWell::mousePressEvent(QMouseEvent *event)
{
    mPressInSwatch = false;
    mDragStarted = false;
    if (!isEnabled() || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const QPointF pos = event->position();
    if (platform::PointInRect(pos, buttonFrame())) {
        handleMouseUpInButtonRect();
    } else if (platform::PointInRect(pos, colorSwatchFrame())) {
        // The grid opens on release, so that a press can still become a colour drag (an open
        // popup would take the mouse).
        mPressInSwatch = true;
        mPressPos = pos;
    }
    event->accept();
}

void MyColorWell::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF pos = event->position();
    if (!(event->buttons() & Qt::LeftButton)) {
        updateHover(pos);
        return;
    }
    if (isEnabled() && mPressInSwatch && !mDragStarted &&
        (pos - mPressPos).manhattanLength() >= QApplication::startDragDistance()) {
        mDragStarted = true;
        startColorDrag();
    }
}

void MyColorWell::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = mPressInSwatch && !mDragStarted && event->button() == Qt::LeftButton;
    mPressInSwatch = false;
    mDragStarted = false;
    if (click && isEnabled() && platform::PointInRect(event->position(), colorSwatchFrame()))
        handleMouseUpInColorRect();
    event->accept();
}

void MyColorWell::leaveEvent(QEvent *event)
{
    if (isEnabled() && (mShouldDrawMouseOverIndicator || mShouldDrawDarkerButtonRegion)) {
        mShouldDrawMouseOverIndicator = false;
        mShouldDrawDarkerButtonRegion = false;
        update();
    }
    QAbstractButton::leaveEvent(event);
}

void MyColorWell::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QAbstractButton::changeEvent(event);
}

void MyColorWell::startColorDrag()
{
    auto *mime = new QMimeData;
    mime->setColorData(mColor.toQColor());
    mime->setData(kColorMimeType, mColor.archive());
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        platform::GraphicsContextScope scope(&painter);
        BezierPath path = BezierPath::bezierPathWithRoundedRect(QRectF(3, 3, 12, 12), 2, 2);
        path.setLineWidth(0);
        platform::setFill(mColor);
        path.fill();
        platform::setStroke(Color::darkGray().colorWithAlphaComponent(0.5));
        path.stroke();
    }
    auto *drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->setPixmap(pixmap);
    drag->setHotSpot((mPressPos - QPointF(5, 0)).toPoint());
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

static Color colorFromMime(const QMimeData *mime)
{
    if (!mime)
        return {};
    if (mime->hasFormat(MyColorWell::kColorMimeType)) {
        const Color exact = Color::unarchive(mime->data(MyColorWell::kColorMimeType));
        if (exact.isValid())
            return exact;
    }
    if (mime->hasColor()) {
        const QColor c = qvariant_cast<QColor>(mime->colorData());
        if (c.isValid())
            return Color::calibratedRGB(c.redF(), c.greenF(), c.blueF(), c.alphaF());
    }
    return {};
}

void MyColorWell::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->source() == this || !colorFromMime(event->mimeData()).isValid()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    mShouldDrawFocusRing = true;
    update();
}

void MyColorWell::dragLeaveEvent(QDragLeaveEvent *event)
{
    mShouldDrawFocusRing = false;
    update();
    QAbstractButton::dragLeaveEvent(event);
}

void MyColorWell::dropEvent(QDropEvent *event)
{
    const Color color = colorFromMime(event->mimeData());
    if (!color.isValid()) {
        event->ignore();
        return;
    }
    setColorToControl(color, true);
    mShouldDrawFocusRing = false;
    update();
    event->acceptProposedAction();
}

void MyColorWell::drawButtonImage(const QRectF &frame)
{
    const QRectF inset = frame.adjusted(1.5, 1.5, -1.5, -1.5);
    QRectF square = inset;
    if (std::abs(inset.width() - inset.height()) > 0.5) {
        double side = std::min(inset.width(), inset.height());
        if (side < 7.0)
            side = std::max(inset.width(), inset.height());
        square = QRectF(inset.center().x() - side / 2, inset.center().y() - side / 2, side, side);
    }
    std::lock_guard lock(platform::monitor(kImageLock));
    const QImage &image = buttonImage();
    if (image.isNull())
        return;
    QPainter *painter = platform::GraphicsContext::currentContext()->painter();
    painter->save();
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter->setOpacity(1.0);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(square, image);
    painter->restore();
}

void MyColorWell::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    platform::GraphicsContextScope scope(&painter);
    const QRectF swatch = colorSwatchFrame();
    const QRectF button = buttonFrame();

    // Swatch: black with a white lower-right half under the colour, so translucency shows.
    const BezierPath swatchPath = roundedPath(swatch, kCornerRadius, true, false);
    platform::setFill(Color::black());
    swatchPath.fill();
    platform::GraphicsContext::saveGraphicsState();
    swatchPath.addClip();
    BezierPath triangle;
    triangle.moveToPoint(QPointF(swatch.left() - 4, swatch.bottom() + 4));
    triangle.lineToPoint(swatch.topRight());
    triangle.lineToPoint(swatch.bottomRight());
    triangle.closePath();
    platform::setFill(Color::white());
    triangle.fill();
    platform::GraphicsContext::restoreGraphicsState();
    platform::setFill(mColor);
    swatchPath.fill();

    // Button.
    const BezierPath buttonPath = roundedPath(button, kCornerRadius, false, true);
    if (mShouldDrawButtonRegionWithSelectedColor)
        platform::setFill(
            platform::systemColorOrFallback(platform::SystemColor::SelectedTextBackground));
    else if (mShouldDrawDarkerButtonRegion)
        platform::setFill(Color::calibratedWhite(0.825));
    else
        platform::setFill(platform::systemColorOrFallback(platform::SystemColor::Control));
    buttonPath.fill();
    drawButtonImage(button);

    // Outer border and the separator between swatch and button.
    BezierPath border = roundedPath(swatch.united(button), kCornerRadius, true, true);
    border.setLineWidth(0.5);
    platform::setStroke(Color::calibratedWhite(0.5));
    border.stroke();
    BezierPath separator;
    separator.moveToPoint(swatch.topRight());
    separator.lineToPoint(swatch.bottomRight());
    separator.setLineWidth(0.5);
    separator.stroke();

    // A frame around the colour; while a colour is dragged over the well it shows the drop
    // highlight instead of grey.
    const QRectF inner = swatch.adjusted(4, 4, -4, -4);
    BezierPath ring = BezierPath::bezierPathWithRect(swatch);
    ring.appendBezierPathWithRect(inner);
    ring.setWindingRule(platform::WindingRule::EvenOdd);
    if (mShouldDrawFocusRing) {
        const Color accent =
            platform::systemColorOrFallback(platform::SystemColor::SelectedTextBackground);
        QLinearGradient gradient(swatch.bottomLeft(), swatch.topLeft());
        gradient.setColorAt(0, accent.toQColor());
        const QColor a = accent.toQColor();
        gradient.setColorAt(1, QColor::fromRgbF(a.redF() * 0.6 + 0.4, a.greenF() * 0.6 + 0.4,
                                                a.blueF() * 0.6 + 0.4, a.alphaF()));
        painter.fillPath(ring.toQPainterPath(), gradient);
    } else {
        platform::setFill(Color::calibratedWhite(229.0 / 255.0));
        ring.fill();
    }
    platform::setStroke(Color::calibratedWhite(175.0 / 255.0));
    BezierPath::strokeRect(swatch);
    platform::setStroke(Color::calibratedWhite(138.0 / 255.0));
    BezierPath::strokeRect(inner);

    if (mShouldDrawMouseOverIndicator) {
        const QRectF indicator = mouseOverIndicatorFrame();
        platform::setFill(Color::calibratedWhite(0.4, 0.4));
        BezierPath::bezierPathWithOvalInRect(indicator).fill();
        const QPointF c = indicator.center();
        BezierPath chevron;
        chevron.moveToPoint(QPointF(c.x() - 3, c.y() - 1.5));
        chevron.lineToPoint(QPointF(c.x(), c.y() + 1.5));
        chevron.lineToPoint(QPointF(c.x() + 3, c.y() - 1.5));
        chevron.setLineWidth(1);
        platform::setStroke(Color::white());
        chevron.stroke();
    }

    if (!isEnabled()) {
        platform::setFill(Color::calibratedWhite(0, 25.0 / 255.0));
        BezierPath::bezierPathWithRoundedRect(rect(), 3, 3).fill();
    }
}
