#pragma once
// The colour-choosing control of the preferences: a swatch on the left and a narrow button on
// the right. A click on the swatch opens a grid of colours under it (row 0 the recent colours);
// the button binds the well to the process's one colour panel, at most one well at a time. Colours
// can be dragged out of and dropped onto a well.
//
// Owners read color(), set colours with setColor() and connect to action(), which is emitted when
// the user changes the colour (not when code sets it, and not while the well's window is hidden).

#include <QAbstractButton>
#include <QPointer>

#include "platform/Color.h"
#include "platform/NotificationCenter.h"

class QColorDialog;
class QFrame;
class MyColorWellGridView;

// Posted with the well that binds itself to the colour panel (every other well unbinds), or with
// no object when the panel closes.
inline const QString DFColor_hasOneItemWithColorPanelActivate =
    QStringLiteral("DFColor_hasOneItemWithColorPanelActivate");

class MyColorWell : public QAbstractButton
{
    Q_OBJECT
public:
    // Mime type of a dragged colour: the exact archive of a platform::Color.
    static inline const QString kColorMimeType = QStringLiteral("application/x-pelkomerge-color");

    explicit MyColorWell(QWidget *parent = nullptr);
    ~MyColorWell() override;

    platform::Color color() const { return mColor; }
    // An invalid colour is ignored; sends no action.
    void setColor(const platform::Color &color);
    void SETCOLOR(const platform::Color &color) { setColor(color); }
    // 0xRRGGBBAA; 0xFFFFFFFF when the colour does not convert.
    quint64 hexColor() const;
    // A word above 0xFFFFFFFF sets nothing.
    void setHexColor(quint64 word);

    // Stores and shows the colour; with needSendAction emits action() (unless the well's window
    // is hidden), records the colour in the history 0.1 s later. Closes the grid popover.
    void setColorToControl(const platform::Color &color, bool needSendAction);
    // Adds the colour to the shared history.
    void setColor_Later_Save(const platform::Color &color);

    // Region geometry, in widget coordinates.
    QRectF colorSwatchFrame() const;
    QRectF buttonFrame() const;
    QRectF mouseOverIndicatorFrame() const;

    // Process-wide palette of the grid, and its lookup.
    void generateColors();
    platform::Color colorWell(MyColorWell *well, qint64 column, qint64 row) const;

    // Drawing shared with the grid: black, a white lower-right triangle, then the colour over
    // both (so translucency shows), optionally a thin border. Draws into the current context.
    static void drawColorSwatchWithFrame(const QRectF &frame, const platform::Color &color,
                                         bool shouldDrawBorder);

    // The shared colour panel (made when `create`), and the well bound to it, if any.
    static QColorDialog *sharedColorPanel(bool create = true);
    static MyColorWell *colorPanelTarget();

    // Bound to the colour panel (the button shows the selection colour).
    bool isActive() const { return mShouldDrawButtonRegionWithSelectedColor; }
    void deactivate();
    // Kept for callers of the other platform's API: exclusive binding is always on.
    void activate(bool exclusive);

    bool shouldDrawMouseOverIndicator() const { return mShouldDrawMouseOverIndicator; }
    bool shouldDrawDarkerButtonRegion() const { return mShouldDrawDarkerButtonRegion; }
    bool shouldDrawFocusRing() const { return mShouldDrawFocusRing; }
    MyColorWellGridView *colorGridView() const { return mColorGridView; }
    // The open popover, or nullptr.
    QFrame *popover() const { return mPopover; }
    // The tool tip of a point: the well's own when set, else the help of the region.
    QString toolTipAt(QPointF pos) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // The user changed the colour.
    void action(MyColorWell *sender);
    // The colour changed, by the user or by code.
    void colorChanged(const platform::Color &color);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    friend class MyColorWellPanelWatcher;
    friend class MyColorWellPopover;

    void handleMouseUpInColorRect();
    void handleMouseUpInButtonRect();
    void hasOneItemWithColorPanelActivate(const platform::Notification &note);
    void colorChange_From_OS_Panel(const QColor &color);
    void handleWindowWillCloseNotification();
    void unbindPanel();
    void closePopover();
    void updateHover(QPointF pos);
    void startColorDrag();
    void drawButtonImage(const QRectF &frame);

    platform::Color mColor = platform::Color::white();
    bool mShouldDrawMouseOverIndicator = false;
    bool mShouldDrawDarkerButtonRegion = false;
    bool mShouldDrawButtonRegionWithSelectedColor = false;
    bool mShouldDrawFocusRing = false;
    MyColorWellGridView *mColorGridView = nullptr;
    QPointer<QFrame> mPopover;
    platform::ObserverToken mActivateObserver;
    QMetaObject::Connection mPanelColorConnection;
    QPointF mPressPos;
    bool mPressInSwatch = false;
    bool mDragStarted = false;
};
