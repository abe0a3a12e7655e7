#pragma once
// The colours a pane paints for a difference block, derived from the block's status colour by
// mixing it into the pane background. Each tint is as strong as it may be while every colour the
// text is painted in stays readable on it, so a user's status colours keep their meaning without
// hiding the text.

#include <QColor>
#include <QList>

struct BlockPalette
{
    QColor block;             // the lines of a block
    QColor currentBlock;      // the lines of the selected block
    QColor frame;             // the frame around the selected block, and marks without text
    QColor changedCharacters; // the changed characters of the selected block
};

// How much of the status colour each tint aims for before contrast holds it back.
inline constexpr double kBlockTintAmount = 0.18;
inline constexpr double kCurrentBlockTintAmount = 0.28;
inline constexpr double kChangedCharactersTintAmount = 0.50;

// The strongest mix of status into background, at most amount, on which every text colour keeps
// the minimum contrast (a colour that has less even on the plain background keeps nine tenths
// of what it has there).
QColor ReadableTint(const QColor &status, const QColor &background, const QList<QColor> &textColors,
                    double amount);

BlockPalette MakeBlockPalette(const QColor &status, const QColor &background,
                              const QList<QColor> &textColors);
