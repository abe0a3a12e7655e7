#pragma once
// The colours recently chosen in any colour well of the process, kept in the user defaults as
// "MyColorWellHistory0" ... "MyColorWellHistory35" (decimal colour words).

#include <QList>
#include <QObject>

#include "platform/Color.h"

class MyColorWellHistory : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxCount = 36;

    // Loads the stored history (or the eight default colours when nothing is stored) and writes
    // it back when the application quits.
    MyColorWellHistory();

    // An invalid entry stands for "not a colour".
    QList<platform::Color> colorArray() const { return mColorArray; }
    void setColorArray(const QList<platform::Color> &colors) { mColorArray = colors; }

    // Adds a colour unless it is (near) white or black or close to one already held. The first
    // six entries keep their places once there are six.
    void addColor(const platform::Color &color);

    // Writes the history to the user defaults and synchronises them.
    void applicationWillTerminate();

private:
    void load();

    QList<platform::Color> mColorArray;
};

// The process's history, made on first request when `create`.
MyColorWellHistory *gMyColorWellHistory(bool create = true);

// The colour word 0xRRGGBBAA of a colour (bytes truncated toward zero, clamped); 0xFFFFFFFF for no
// colour or one that does not convert to calibrated RGB.
quint64 GetHexColor_ForMyColorWell(const platform::Color &color);
// Components in 0..1; every given out-value is set to 1.0 first. False for no colour or one that
// does not convert.
bool GetColorComponents_ForMyColorWell(const platform::Color &color, float *r, float *g, float *b,
                                       float *a);
// The colour of a colour word; invalid above 0xFFFFFFFF.
platform::Color ColorFromHexColor_ForMyColorWell(quint64 word);

// The 36 x 8 palette of the grid: row 0 white (the history shows over it), row 1 a grey ramp,
// rows 2 to 7 a colour cube.
void GenerateMyColorWellPalette();
// The grid's colour at (column, row): row 0 the history entry when the history holds one there
// (an invalid colour for an entry that is not a colour), else the palette; white outside the
// palette.
platform::Color MyColorWellColorAt(qint64 column, qint64 row);
