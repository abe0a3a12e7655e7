#pragma once
// A container held between a minimum and a maximum size (the zero size means no bound) that can
// follow its parent's width or height.

#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QWidget>

// The frame with its size brought within the bounds; the origin never moves. A maximum smaller
// than the minimum wins. A size within 0.01 of zero in both directions is no bound.
QRectF consider_MaxMinSize(const QRectF &frame, const QSizeF &minSize, const QSizeF &maxSize);

class MinMaxSizeView : public QWidget
{
    Q_OBJECT
public:
    explicit MinMaxSizeView(QWidget *parent = nullptr);

    QSizeF minSize() const { return mMinSize; }
    QSizeF maxSize() const { return mMaxSize; }
    void setMinSize(const QSizeF &size);
    void setMaxSize(const QSizeF &size);
    bool bMustHasSize_Of_SuperView_In_Width() const { return mFollowWidth; }
    bool bMustHasSize_Of_SuperView_In_Height() const { return mFollowHeight; }
    void setBMustHasSize_Of_SuperView_In_Width(bool on);
    void setBMustHasSize_Of_SuperView_In_Height(bool on);

    // Places the view at the frame after the parent and size rules.
    virtual void setFrame(const QRectF &frame);
    QRectF consider_SuperView_Size_withBaseFrame(const QRectF &frame) const;
    QRectF consider_MaxMinSize(const QRectF &frame) const;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    // The parent changed size, or the view moved into a parent.
    virtual void parentGeometryChanged();

private:
    void applySizeLimits();
    void watchParent();

    QSizeF mMinSize{0, 0};
    QSizeF mMaxSize{0, 0};
    bool mFollowWidth = false;
    bool mFollowHeight = false;
    QPointer<QWidget> mWatchedParent;
};

// Always covers its whole parent; a click on it drags the window.
class MinMaxSizeView_SizeOfSuperView : public MinMaxSizeView
{
    Q_OBJECT
public:
    using MinMaxSizeView::MinMaxSizeView;

    void setFrame(const QRectF &frame) override;
    void fixFrame();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void parentGeometryChanged() override { fixFrame(); }
};

// Spans its parent's width, never narrower than 150.
class ViewWithMinWidth_XXX : public QWidget
{
    Q_OBJECT
public:
    explicit ViewWithMinWidth_XXX(QWidget *parent = nullptr);
    void setFrame(const QRectF &frame);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> mWatchedParent;
};
