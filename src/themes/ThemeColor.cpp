#include "themes/ThemeColor.h"

#include "foundation/PelkoNSDictionary.h"
#include "foundation/PelkoNSUserDefaults.h"
#include "graphics/ColorPixel.h"
#include "platform/Guard.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "services/EncodedFile.h"
#include "services/FileUtility.h"

#include <QRegularExpression>
#include <QSaveFile>

using platform::Color;

namespace {

const QString kCurrentThemePrefix = QStringLiteral("gCurrentTheme.");
const QString kSyntaxColorsKey = QStringLiteral("PelkoSourceTextSyntaxColors");

struct SlotInfo
{
    const char *property;
    const char *fileKey; // nullptr: computed (find mark)
    bool topLevel;
};

// In slot order: property name, key in a theme file.
const SlotInfo kSlots[ThemeColor::SlotCount] = {
    {"PelkoSourceTextBackground", "PelkoSourceTextBackground", true},
    {"PelkoSourceTextInsertionPointColor", "PelkoSourceTextInsertionPointColor", true},
    {"PelkoSourceTextSelectionColor", "PelkoSourceTextSelectionColor", true},
    {"mColor_DefaultText", "theme.syntax.plain", false},
    {"mColor_Comment", "theme.syntax.comment", false},
    {"mColor_URL", "theme.syntax.url", false},
    {"mColor_Char", "theme.syntax.character", false},
    {"mColor_String", "theme.syntax.string", false},
    {"mColor_Number", "theme.syntax.number", false},
    {"mColor_FindMark", nullptr, false},
    {"mColor_Syntax1", "theme.syntax.identifier.function", false},
    {"mColor_Syntax2", "theme.syntax.identifier.macro", false},
    {"mColor_Syntax3", "theme.syntax.keyword", false},
    {"mColor_Syntax4", "theme.syntax.identifier.type.system", false},
    {"mColor_Syntax5", "theme.syntax.identifier.constant", false},
    {"mColor_Syntax6", "theme.syntax.attribute", false},
    {"mColor_Syntax7", "theme.syntax.preprocessor", false},
    {"mColor_Syntax8", "theme.syntax.identifier.class", false},
    {"mColor_Syntax9", "theme.syntax.identifier.constant.system", false},
};

std::shared_ptr<ThemeColor> gCurrentTheme;

// The slot of a SYNTAX_COLOR_INDEX; -1 outside the table.
int slotForIndex(int index)
{
    switch (index) {
    case SYNTAX_COLOR_BACKGROUND:
        return ThemeColor::Background;
    case SYNTAX_COLOR_INSERTION_POINT:
        return ThemeColor::InsertionPoint;
    case SYNTAX_COLOR_SELECTION:
        return ThemeColor::Selection;
    case SYNTAX_COLOR_DEFAULT:
        return ThemeColor::DefaultText;
    case SYNTAX_COLOR_COMMENT:
        return ThemeColor::Comment;
    case SYNTAX_COLOR_URL:
        return ThemeColor::URL;
    case SYNTAX_COLOR_SINGLE_QUOTE:
        return ThemeColor::Char;
    case SYNTAX_COLOR_DOUBLE_QUOTE:
        return ThemeColor::String;
    case SYNTAX_COLOR_NUMBER:
        return ThemeColor::Number;
    case SYNTAX_COLOR_FIND_MARK:
        return ThemeColor::FindMark;
    case SYNTAX_COLOR_MARK:
        return ThemeColor::Syntax1;
    default:
        if (index >= 1 && index <= 9)
            return ThemeColor::Syntax1 + index - 1;
        return -1;
    }
}

// The colour of an index when there is no theme at all.
Color colorWithoutTheme(int index)
{
    switch (index) {
    case SYNTAX_COLOR_BACKGROUND:
        return Color::white();
    case SYNTAX_COLOR_INSERTION_POINT:
        return Color::black();
    case SYNTAX_COLOR_SELECTION:
        return Color::calibratedRGB(136 / 255.0, 136 / 255.0, 1.0, 1.0);
    case SYNTAX_COLOR_DEFAULT:
        return Color::black();
    case SYNTAX_COLOR_COMMENT:
        return Color::lightGray();
    case SYNTAX_COLOR_URL:
        return Color::blue();
    case SYNTAX_COLOR_SINGLE_QUOTE:
        return Color::blue();
    case SYNTAX_COLOR_DOUBLE_QUOTE:
        return Color::red();
    case SYNTAX_COLOR_NUMBER:
        return Color::blue();
    case SYNTAX_COLOR_FIND_MARK:
        return Color::yellow();
    case 1:
        return Color::red();
    case SYNTAX_COLOR_MARK:
        return Color::blue();
    case 2:
        return Color::blue();
    case 3:
        return Color::purple();
    case 4:
        return Color::orange();
    case 5:
        return Color::blue();
    case 6:
        return Color::green();
    case 7:
        return Color::magenta();
    case 8:
        return Color::red();
    case 9:
        return Color::purple();
    default:
        return Color::blue();
    }
}

// A leading decimal number in the C locale's notation (a theme file is the same whatever the
// user's locale); 0 when the piece does not start with one.
double readDecimal(const QString &piece)
{
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?"));
    const QRegularExpressionMatch m = number.match(piece);
    if (!m.hasMatch())
        return 0.0;
    bool ok = false;
    const double value = m.captured(0).toDouble(&ok); // QString::toDouble uses the C locale
    return ok ? value : 0.0;
}

QString colorText(const Color &color)
{
    float r, g, b, a;
    GetColorComponents(color, &r, &g, &b, &a);
    auto n = [](float v) { return QString::number(double(v), 'g', 6); };
    return QStringLiteral("%1 %2 %3 %4").arg(n(r), n(g), n(b), n(a));
}

Color colorFromValue(const QVariant &value)
{
    if (value.typeId() != QMetaType::QString)
        return Color();
    return ThemeFile_GetColor_FromText(value.toString());
}

} // namespace

QString ThemeColor::propertyName(int slot)
{
    if (slot < 0 || slot >= SlotCount)
        return QString();
    return QString::fromLatin1(kSlots[slot].property);
}

ThemeColor::ThemeColor()
{
    setupAsDefault();
}

void ThemeColor::setupAsDefault()
{
    mColors[Background] = Color::white();
    mColors[InsertionPoint] = Color::black();
    mColors[Selection] = Color::calibratedRGB(176 / 255.0, 214 / 255.0, 1.0, 1.0);
    mColors[DefaultText] = Color::black();
    mColors[Comment] = Color::lightGray();
    mColors[URL] = Color::blue();
    mColors[Char] = Color::red();
    mColors[String] = Color::red();
    mColors[Number] = Color::blue();
    mColors[FindMark] = Color::yellow();
    mColors[Syntax1] = Color::purple();
    mColors[Syntax2] = Color::blue();
    mColors[Syntax3] = Color::brown();
    mColors[Syntax4] = Color::magenta();
    mColors[Syntax5] = mColors[Syntax4];
    mColors[Syntax6] = mColors[Syntax3];
    mColors[Syntax7] = mColors[Syntax2];
    mColors[Syntax8] = mColors[Syntax1];
    mColors[Syntax9] = mColors[Syntax4];
}

bool ThemeColor::validate()
{
    for (const Color &c : mColors) {
        if (!c.isValid()) {
            REPORT_FATAL();
            setupAsDefault();
            return false;
        }
    }
    return true;
}

std::shared_ptr<ThemeColor> ThemeColor::copy()
{
    validate();
    auto theme = std::make_shared<ThemeColor>();
    theme->mColors = mColors;
    theme->validate();
    return theme;
}

bool ThemeColor::isEqual(const ThemeColor *other) const
{
    if (other == this)
        return true;
    if (!other)
        return false;
    for (int i = 0; i < SlotCount; ++i) {
        if (!IsSimilarColor(other->mColors[i], mColors[i], 0.01f))
            return false;
    }
    return true;
}

const Color &ThemeColor::colorAt(int slot) const
{
    static const Color none;
    return slot >= 0 && slot < SlotCount ? mColors[slot] : none;
}

void ThemeColor::setColorAt(int slot, const Color &color)
{
    if (slot >= 0 && slot < SlotCount)
        mColors[slot] = color;
}

void ThemeColor::saveToHistory()
{
    GUARD_BEGIN
    if (!validate())
        REPORT_FATAL();
    auto &defaults = platform::UserDefaults::standard();
    for (int i = 0; i < SlotCount; ++i)
        setColor(defaults, mColors[i], kCurrentThemePrefix + propertyName(i));
    defaults.synchronize();
    GUARD_END_VOID
}

std::shared_ptr<ThemeColor> ThemeColor::create()
{
    return std::make_shared<ThemeColor>();
}

std::shared_ptr<ThemeColor> ThemeColor::createThemeFromFile(const QString &path)
{
    GUARD_BEGIN
    auto theme = create();
    if (!IsFileExist(path)) {
        REPORT_FATAL();
        return theme;
    }
    const QString text = App_MyEncodeFile_Read(path);
    if (text.isEmpty()) {
        REPORT_FATAL();
        return theme;
    }
    const std::optional<QVariantMap> root = dictionaryWithContents(text);
    if (!root || root->isEmpty()) {
        REPORT_FATAL();
        return nullptr;
    }
    for (int i = Background; i <= Selection; ++i)
        theme->mColors[i] = colorFromValue(root->value(QString::fromLatin1(kSlots[i].fileKey)));

    const QVariant syntaxValue = root->value(kSyntaxColorsKey);
    if (syntaxValue.typeId() != QMetaType::QVariantMap || syntaxValue.toMap().isEmpty()) {
        REPORT_FATAL();
        return nullptr;
    }
    const QVariantMap syntax = syntaxValue.toMap();
    for (int i = DefaultText; i < SlotCount; ++i) {
        if (kSlots[i].fileKey)
            theme->mColors[i] =
                colorFromValue(syntax.value(QString::fromLatin1(kSlots[i].fileKey)));
    }

    // The find mark stands out from both: the text's inverse red and green, the background's
    // inverse blue (yellow on a white page, blue on a black one).
    float textR, textG, bgB;
    if (theme->mColors[DefaultText].isValid() && theme->mColors[Background].isValid()) {
        GetColorComponents(theme->mColors[DefaultText], &textR, &textG, nullptr, nullptr);
        GetColorComponents(theme->mColors[Background], nullptr, nullptr, &bgB, nullptr);
        auto clamp = [](double v) { return std::min(1.0, std::max(0.0, v)); };
        theme->mColors[FindMark] =
            Color::calibratedRGB(clamp(1.0 - textR), clamp(1.0 - textG), clamp(1.0 - bgB), 1.0);
    } else {
        REPORT_FATAL();
    }
    theme->validate();
    return theme;
    GUARD_END(nullptr)
}

bool ThemeColor::writeToFile(const QString &path) const
{
    GUARD_BEGIN
    QVariantMap root;
    QVariantMap syntax;
    for (int i = 0; i < SlotCount; ++i) {
        if (!kSlots[i].fileKey || !mColors[i].isValid())
            continue;
        const QString text = colorText(mColors[i]);
        if (kSlots[i].topLevel)
            root.insert(QString::fromLatin1(kSlots[i].fileKey), text);
        else
            syntax.insert(QString::fromLatin1(kSlots[i].fileKey), text);
    }
    root.insert(kSyntaxColorsKey, syntax);
    const QByteArray data = platform::dataFromPropertyList(root);
    if (data.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return false;
    return file.commit();
    GUARD_END(false)
}

std::shared_ptr<ThemeColor> ThemeColor::loadFromHistory()
{
    GUARD_BEGIN
    auto theme = create();
    const auto &defaults = platform::UserDefaults::standard();
    // Nothing stored yet (a first start) is no damage: the defaults are stored without a report.
    bool anyStored = false;
    for (int i = 0; i < SlotCount && !anyStored; ++i)
        anyStored = defaults.hasKey(kCurrentThemePrefix + propertyName(i));
    if (!anyStored) {
        theme->saveToHistory();
        return theme;
    }
    bool allFour = true;
    for (int i = Background; i <= DefaultText; ++i) {
        theme->mColors[i] = colorForKey(defaults, kCurrentThemePrefix + propertyName(i));
        if (!theme->mColors[i].isValid()) {
            allFour = false;
            break;
        }
    }
    if (allFour) {
        for (int i = DefaultText + 1; i < SlotCount; ++i)
            theme->mColors[i] = colorForKey(defaults, kCurrentThemePrefix + propertyName(i));
    }
    if (!theme->validate())
        theme->saveToHistory();
    return theme;
    GUARD_END(nullptr)
}

std::shared_ptr<ThemeColor> ThemeColor::getCurrent()
{
    if (gCurrentTheme)
        return gCurrentTheme;
    gCurrentTheme = loadFromHistory();
    if (!gCurrentTheme) {
        REPORT_FATAL();
        gCurrentTheme = create();
    }
    return gCurrentTheme;
}

void ThemeColor::restoreToDefault()
{
    auto theme = create();
    theme->saveToHistory();
    gCurrentTheme = theme;
}

void ThemeColor::setCurrentTheme(const std::shared_ptr<ThemeColor> &theme)
{
    if (!theme) {
        REPORT_FATAL();
        return;
    }
    theme->saveToHistory();
    if (theme != gCurrentTheme)
        gCurrentTheme = theme;
}

void ResetCurrentThemeCache()
{
    gCurrentTheme.reset();
}

Color ThemeFile_GetColor_FromText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        REPORT_FATAL();
        return Color();
    }
    const QStringList pieces = trimmed.split(QLatin1Char(' '));
    if (pieces.size() < 3) {
        REPORT_FATAL();
        return Color();
    }
    auto component = [&](int i) { return std::min(1.0, std::max(0.0, readDecimal(pieces[i]))); };
    const double alpha = pieces.size() >= 4 ? component(3) : 1.0;
    return Color::calibratedRGB(component(0), component(1), component(2), alpha);
}

Color GetApp_Color_Text_Default_WithIndex(int index)
{
    const auto theme = ThemeColor::getCurrent();
    if (!theme) {
        REPORT_FATAL();
        return colorWithoutTheme(index);
    }
    const int slot = slotForIndex(index);
    if (slot < 0)
        return Color::blue();
    const Color &c = theme->colorAt(slot);
    if (!c.isValid()) {
        REPORT_FATAL();
        platform::Log(lcThemes, QStringLiteral("colorIndex is invalid: %1").arg(index));
        return Color::blue();
    }
    return c;
}

Color GetApp_Color_Background()
{
    return GetApp_Color_Text_Default_WithIndex(SYNTAX_COLOR_BACKGROUND);
}
Color GetApp_Color_Mark()
{
    return GetApp_Color_Text_Default_WithIndex(SYNTAX_COLOR_MARK);
}
Color GetApp_Color_FindMark()
{
    return GetApp_Color_Text_Default_WithIndex(SYNTAX_COLOR_FIND_MARK);
}
Color GetApp_Color_URL()
{
    return GetApp_Color_Text_Default_WithIndex(SYNTAX_COLOR_URL);
}
Color GetApp_Color_DefaultText()
{
    return GetApp_Color_Text_Default_WithIndex(SYNTAX_COLOR_DEFAULT);
}
