#pragma once
// The images of controls for the light and the dark appearance. A control names its image once
// (SetControlImageName, also from a .ui form through the dynamic property "imageName"), and
// RefreshControlsInDarkMode gives every named control of a window, view or menu the variant for
// the current appearance: the named image in light, its inverted "_@dark" variant in dark. The
// variants are made once and kept as PNG files in the support folder's "DarkModeImg".
// Main thread.

#include "platform/Image.h"

#include <QString>
#include <QStringList>

class QObject;

// The dynamic property that holds a control's image name.
inline constexpr char kControlImageNameProperty[] = "imageName";

// The toolbar, tree and mode images the platform tints for either appearance.
QStringList TemplateResourceImageNames();
// Marks each of them as a template image (at start-up).
void Set_Template_ForResourceImages();

// The image named so in light; in dark its "_@dark" variant: one the application holds or made
// earlier in this process, else the stored file, else made now by inverting the light image and
// stored (a stored file that no longer loads is made again). The light image when the inversion
// fails; null for an empty name or one the application does not hold.
platform::ImagePtr GetImageInResourceConsiderDarkMode(const QString &name, bool isDark);

// Gives the control (an action, a button or a label) the named image for the current
// appearance, and keeps the name for later refreshes. An empty name only removes it.
void SetControlImageName(QObject *control, const QString &name);
// Every action of the menus and toolbars, every button and every label inside root (a window,
// widget, menu or action) that names an image is given its image again, for the appearance in
// the settings record.
void RefreshControlsInDarkMode(QObject *root);
