#pragma once
// A box filled with one colour and optionally framed.

#include <QWidget>

#include "platform/Color.h"

class NSColorView : public QWidget
{
    Q_OBJECT
public:
    explicit NSColorView(QWidget *parent = nullptr) : QWidget(parent) {}

    platform::Color fillColor() const { return mFillColor; }
    platform::Color borderColor() const { return mBorderColor; }
    float borderWidth() const { return mBorderWidth; }
    // An invalid colour paints nothing.
    void setFillColor(const platform::Color &color);
    void setBorderColor(const platform::Color &color);
    // A width of 0.02 or less draws no frame.
    void setBorderWidth(float width);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    platform::Color mFillColor;
    platform::Color mBorderColor;
    float mBorderWidth = 0;
};
