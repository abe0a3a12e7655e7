#include "graphics/DarkModeImages.h"

#include "graphics/InvertColor.h"
#include "graphics/PelkoNSImage.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "services/AppSetting.h"
#include "services/SupportFolder.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QSet>
#include <QWidget>

using platform::Image;
using platform::ImagePtr;

namespace {

const QString kDarkSuffix = QStringLiteral("_@dark");

QString darkVariantPath(const QString &darkName)
{
    const QString folder = GetSupportSubFolder(QStringLiteral("DarkModeImg"));
    return folder.isEmpty() ? QString() : QDir(folder).filePath(darkName + QStringLiteral(".png"));
}

// The variant keeps the point size of its light image, whose pixels may be twice as many.
ImagePtr sizedLike(ImagePtr variant, const ImagePtr &light)
{
    if (variant && light && isOK(light.get()))
        setSize2(variant.get(), light->size());
    return variant;
}

ImagePtr makeDarkVariant(const QString &name, const QString &darkName)
{
    // An image of the bundle or one named earlier in this process.
    if (ImagePtr known = Image::named(darkName))
        return known;
    const ImagePtr light = Image::named(name);
    if (!isOK(light.get()))
        return light;
    const QString path = darkVariantPath(darkName);
    if (ImagePtr stored = imageWithFilePath(path)) {
        sizedLike(stored, light)->setName(darkName);
        return stored;
    }
    ImagePtr inverted = ApplyChange_InvertColor(light.get(), CHANGE_SETTING{});
    if (!inverted)
        return light;
    sizedLike(inverted, light)->setName(darkName);
    if (!path.isEmpty() && !writeToPNG(inverted.get(), path))
        platform::LogWarning(lcGraphics,
                             QStringLiteral("ERROR cannot store the dark image %1").arg(darkName));
    return inverted;
}

void applyImage(QObject *control, const QString &name)
{
    const ImagePtr image = GetImageInResourceConsiderDarkMode(name, gAppSetting.bIsDarkMode != 0);
    const QWidget *widget = qobject_cast<QWidget *>(control);
    const QPalette palette = widget ? widget->palette() : QApplication::palette();
    const QIcon icon = image ? image->toQIcon(palette) : QIcon();
    if (auto *action = qobject_cast<QAction *>(control)) {
        action->setIcon(icon);
    } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
        button->setIcon(icon);
    } else if (auto *label = qobject_cast<QLabel *>(control)) {
        const QSize size = image ? image->size().toSize() : QSize();
        label->setPixmap(icon.isNull() || size.isEmpty()
                             ? QPixmap()
                             : icon.pixmap(size, label->devicePixelRatioF()));
    }
}

void refreshOne(QObject *object)
{
    const QString name = object->property(kControlImageNameProperty).toString();
    if (!name.isEmpty())
        applyImage(object, name);
}

void collectActions(QObject *root, QSet<QObject *> *seen, QList<QObject *> *out)
{
    if (!root || seen->contains(root))
        return;
    seen->insert(root);
    out->append(root);
    if (auto *action = qobject_cast<QAction *>(root)) {
        collectActions(action->menu(), seen, out);
        return;
    }
    if (auto *widget = qobject_cast<QWidget *>(root)) {
        // Actions shown by a menu or toolbar need not be its children.
        for (QAction *action : widget->actions())
            collectActions(action, seen, out);
    }
    for (QObject *child : root->children())
        collectActions(child, seen, out);
}

} // namespace

QStringList TemplateResourceImageNames()
{
    return {QStringLiteral("aNSStopProgressFreestandingTemplate"),
            QStringLiteral("aNSSynchronize"),
            QStringLiteral("aNSGoLeftTemplate"),
            QStringLiteral("aNSGoRightTemplate"),
            QStringLiteral("tree_Collapse"),
            QStringLiteral("tree_Expand"),
            QStringLiteral("treeIcon1"),
            QStringLiteral("mode_TwoPane"),
            QStringLiteral("aNSListViewTemplate"),
            QStringLiteral("modeViewNormal"),
            QStringLiteral("modeViewTree"),
            QStringLiteral("iconNoFolderIn1"),
            QStringLiteral("iconNoFolderIn2")};
}

void Set_Template_ForResourceImages()
{
    GUARD_BEGIN
    for (const QString &name : TemplateResourceImageNames())
        imageTemplateDarkModeNamed(name);
    GUARD_END_VOID
}

ImagePtr GetImageInResourceConsiderDarkMode(const QString &name, bool isDark)
{
    GUARD_BEGIN
    if (name.isEmpty())
        return nullptr;
    if (!isDark)
        return Image::named(name);
    return makeDarkVariant(name, name + kDarkSuffix);
    GUARD_END(nullptr)
}

void SetControlImageName(QObject *control, const QString &name)
{
    GUARD_BEGIN
    if (!control)
        return;
    control->setProperty(kControlImageNameProperty, name.isEmpty() ? QVariant() : QVariant(name));
    if (!name.isEmpty())
        applyImage(control, name);
    GUARD_END_VOID
}

void RefreshControlsInDarkMode(QObject *root)
{
    GUARD_BEGIN
    QSet<QObject *> seen;
    QList<QObject *> objects;
    collectActions(root, &seen, &objects);
    for (QObject *object : objects)
        refreshOne(object);
    GUARD_END_VOID
}
