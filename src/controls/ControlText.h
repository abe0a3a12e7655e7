#pragma once
// Small pieces shared by the text and colour accessors of the controls.

#include <QColor>
#include <QPalette>
#include <QString>
#include <QWidget>
#include <initializer_list>

// Null becomes empty, and the text is our own copy, not shared with the caller's.
inline QString ownTextCopy(const QString &text)
{
    return text.isNull() ? QString(QLatin1String("")) : QString(text.constData(), text.size());
}

// Gives the widget's text the colour in each of the palette roles.
inline void setPaletteTextColor(QWidget *widget, const QColor &color,
                                std::initializer_list<QPalette::ColorRole> roles)
{
    QPalette p = widget->palette();
    for (QPalette::ColorRole role : roles)
        p.setColor(role, color);
    widget->setPalette(p);
}
