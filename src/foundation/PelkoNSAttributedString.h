#pragma once
// Attributes of rich text (a QTextDocument), looked up by the original attribute names.

#include <QString>
#include <QVariant>

class QTextDocument;

inline const QString kFontAttributeName = QStringLiteral("NSFont");
inline const QString kForegroundColorAttributeName = QStringLiteral("NSColor");
inline const QString kBackgroundColorAttributeName = QStringLiteral("NSBackgroundColor");

// The first value of the named attribute over the whole text: a QFont for the font, a
// platform::Color for the colours. An invalid QVariant when no run sets it, for an unknown or
// empty name, or for nullptr.
QVariant getFirstValueOfAttribute(const QTextDocument *self, const QString &name);
