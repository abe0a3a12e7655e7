#pragma once
// Cached images: the bundle's named images, and small icons for file types.

#include <QImage>
#include <QString>

// The bundle image "images/<name>" (".png" added when the name has no extension), read once and
// kept; a null image for an empty name or one the bundle lacks.
QImage GetCachedImageNamed(const QString &name);

// A 20 x 20 point icon (40 x 40 pixels) for files of the type (an extension; empty counts as
// "???"), with a soft shadow: the icon theme's, else the bundle's "defaultFileIcon". Types that
// differ only in case share one icon. Null when neither exists. Main thread.
QImage GetDefaultFileIconBaseOnType(const QString &type);
