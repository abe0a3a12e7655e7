#include "services/ImageViewNote.h"

#include "services/Localization.h"

QString ImageViewNote(platform::ViewImage::Outcome outcome, QSize sourceSize)
{
    using Outcome = platform::ViewImage::Outcome;
    switch (outcome) {
    case Outcome::Read:
    case Outcome::Cancelled: // never shown
        return {};
    case Outcome::NoDecoder:
        return L_(QStringLiteral("Preview not available for this format"));
    case Outcome::TooLarge:
        if (sourceSize.isValid() && !sourceSize.isEmpty())
            return L_(QStringLiteral("The image is too large to preview")) +
                   QStringLiteral(" (%1 \u00d7 %2)")
                       .arg(sourceSize.width())
                       .arg(sourceSize.height());
        return L_(QStringLiteral("The image is too large to preview"));
    case Outcome::Damaged:
        return L_(QStringLiteral("The image cannot be read: the file is damaged or incomplete"));
    case Outcome::Unreadable:
        break;
    }
    return L_(QStringLiteral("The image cannot be read"));
}
