#pragma once
// The icon every window of the application carries.

#include <QIcon>

// The icon theme's "pelkomerge" (what the desktop entry names) when installed, else the sizes
// kept in the bundle's images folder.
QIcon ApplicationIcon();
