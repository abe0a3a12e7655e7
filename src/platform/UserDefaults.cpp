#include "platform/UserDefaults.h"

#include "platform/Log.h"
#include "platform/PrivateFiles.h"
#include "platform/PropertyList.h"
#include "platform/Saturate.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace platform {

namespace {

// The settings of one user are a few kilobytes; a larger file is not one we wrote, and is never
// read whole.
constexpr qint64 kMaxDefaultsFileBytes = 16 * 1024 * 1024;

QString standardFilePath()
{
    return TrustedConfigHome() + QStringLiteral("/pelkomerge/defaults.plist");
}

// The leading integer of a text, as stored numbers written as strings are read: leading
// white space, an optional sign, digits; anything else ends it.
qint64 integerPrefix(const QString &s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i].isSpace())
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == QLatin1Char('-') || s[i] == QLatin1Char('+')))
        negative = s[i++] == QLatin1Char('-');
    quint64 magnitude = 0;
    const quint64 limit = negative ? quint64(std::numeric_limits<qint64>::max()) + 1
                                   : quint64(std::numeric_limits<qint64>::max());
    for (; i < s.size() && s[i] >= QLatin1Char('0') && s[i] <= QLatin1Char('9'); ++i) {
        const quint64 digit = quint64(s[i].unicode() - '0');
        if (magnitude > (limit - digit) / 10) {
            magnitude = limit;
            break;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (negative)
        return magnitude == limit ? std::numeric_limits<qint64>::min() : -qint64(magnitude);
    return qint64(magnitude);
}

// The leading real number of a text, read with a decimal point whatever the user's locale says.
double doublePrefix(const QString &s)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    const QByteArray text = s.trimmed().toLatin1();
    if (!cLocale)
        return 0.0;
    char *end = nullptr;
    const double d = strtod_l(text.constData(), &end, cLocale);
    return end == text.constData() ? 0.0 : d;
}

} // namespace

UserDefaults &UserDefaults::standard()
{
    static UserDefaults defaults(standardFilePath());
    return defaults;
}

UserDefaults::UserDefaults(QString filePath) : mFilePath(std::move(filePath))
{}

QString UserDefaults::filePath() const
{
    std::lock_guard lock(mMutex);
    return mFilePath;
}

void UserDefaults::setFilePath(QString filePath)
{
    std::lock_guard lock(mMutex);
    mFilePath = std::move(filePath);
    mDirty = false;
    loadLocked();
}

void UserDefaults::reload()
{
    std::lock_guard lock(mMutex);
    mDirty = false;
    loadLocked();
}

void UserDefaults::ensureLoadedLocked() const
{
    if (!mLoaded)
        loadLocked();
}

void UserDefaults::loadLocked() const
{
    mLoaded = true;
    mValues.clear();
    mReadFailed = false;
    QFile file(mFilePath);
    if (mFilePath.isEmpty() || !file.exists())
        return;
    // A pipe or a device in its place would block or never end: not read, never overwritten.
    if (!QFileInfo(mFilePath).isFile() || !file.open(QIODevice::ReadOnly)) {
        // The file may be sound: never overwrite what could not be read.
        mReadFailed = true;
        Log(QStringLiteral("ERROR cannot read user defaults %1: %2")
                .arg(mFilePath, file.errorString()));
        return;
    }
    const qint64 size = file.size();
    if (size > kMaxDefaultsFileBytes) {
        file.close();
        Log(QStringLiteral("ERROR user defaults %1 of %2 bytes refused unread: more than %3")
                .arg(mFilePath)
                .arg(size)
                .arg(kMaxDefaultsFileBytes));
    } else {
        const QByteArray bytes = file.readAll();
        file.close();
        if (bytes.isEmpty())
            return;
        const auto parsed = propertyListFromData(bytes);
        if (parsed && parsed->typeId() == QMetaType::QVariantMap) {
            mValues = parsed->toMap();
            return;
        }
    }
    const QString aside =
        mFilePath + QStringLiteral(".damaged-") +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    if (QFile::rename(mFilePath, aside)) {
        Log(QStringLiteral("ERROR user defaults %1 damaged; kept as %2, starting empty")
                .arg(mFilePath, aside));
    } else {
        mReadFailed = true;
        Log(QStringLiteral("ERROR user defaults %1 damaged and cannot be moved aside")
                .arg(mFilePath));
    }
}

QVariant UserDefaults::valueLocked(const QString &key) const
{
    ensureLoadedLocked();
    return mValues.value(key);
}

QVariant UserDefaults::objectForKey(const QString &key) const
{
    std::lock_guard lock(mMutex);
    return valueLocked(key);
}

void UserDefaults::setObject(const QVariant &value, const QString &key)
{
    if (!value.isValid()) {
        removeObjectForKey(key);
        return;
    }
    // Dates are cut to whole seconds as the file keeps them, so a value reads the same before
    // and after the store is saved and read again.
    const auto normalized = normalizedPropertyListValue(value, true);
    // Containers are checked whole, so that one bad value cannot stop every later save.
    if (!normalized || dataFromPropertyList(*normalized, PlistFormat::Binary).isEmpty()) {
        Log(QStringLiteral("ERROR user defaults cannot store a value of type %1 for key %2")
                .arg(QString::fromLatin1(value.typeName()), key));
        return;
    }
    std::lock_guard lock(mMutex);
    ensureLoadedLocked();
    mValues.insert(key, *normalized);
    mDirty = true;
}

void UserDefaults::removeObjectForKey(const QString &key)
{
    std::lock_guard lock(mMutex);
    ensureLoadedLocked();
    if (mValues.remove(key) > 0)
        mDirty = true;
}

bool UserDefaults::hasKey(const QString &key) const
{
    std::lock_guard lock(mMutex);
    ensureLoadedLocked();
    return mValues.contains(key);
}

QString UserDefaults::stringForKey(const QString &key) const
{
    const QVariant v = objectForKey(key);
    return v.typeId() == QMetaType::QString ? v.toString() : QString();
}

qint64 UserDefaults::integerForKey(const QString &key) const
{
    const QVariant v = objectForKey(key);
    switch (v.typeId()) {
    case QMetaType::LongLong:
        return v.toLongLong();
    case QMetaType::Double:
        return saturatingTruncate<qint64>(v.toDouble());
    case QMetaType::Bool:
        return v.toBool() ? 1 : 0;
    case QMetaType::QString:
        return integerPrefix(v.toString());
    default:
        return 0;
    }
}

double UserDefaults::doubleForKey(const QString &key) const
{
    const QVariant v = objectForKey(key);
    switch (v.typeId()) {
    case QMetaType::LongLong:
        return double(v.toLongLong());
    case QMetaType::Double:
        return v.toDouble();
    case QMetaType::Bool:
        return v.toBool() ? 1.0 : 0.0;
    case QMetaType::QString:
        return doublePrefix(v.toString());
    default:
        return 0.0;
    }
}

bool UserDefaults::boolForKey(const QString &key) const
{
    const QVariant v = objectForKey(key);
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool();
    case QMetaType::LongLong:
        return v.toLongLong() != 0;
    case QMetaType::Double:
        return v.toDouble() != 0.0;
    case QMetaType::QString: {
        const QString s = v.toString().trimmed();
        if (s.compare(QStringLiteral("yes"), Qt::CaseInsensitive) == 0 ||
            s.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0)
            return true;
        return integerPrefix(s) != 0;
    }
    default:
        return false;
    }
}

QByteArray UserDefaults::dataForKey(const QString &key) const
{
    const QVariant v = objectForKey(key);
    return v.typeId() == QMetaType::QByteArray ? v.toByteArray() : QByteArray();
}

QVariantList UserDefaults::arrayForKey(const QString &key) const
{
    const QVariant v = objectForKey(key);
    return v.typeId() == QMetaType::QVariantList ? v.toList() : QVariantList();
}

QVariantMap UserDefaults::dictionaryForKey(const QString &key) const
{
    const QVariant v = objectForKey(key);
    return v.typeId() == QMetaType::QVariantMap ? v.toMap() : QVariantMap();
}

void UserDefaults::setString(const QString &value, const QString &key)
{
    // A null string is nil: it removes the key.
    setObject(value.isNull() ? QVariant() : QVariant(value), key);
}
void UserDefaults::setInteger(qint64 value, const QString &key)
{
    setObject(QVariant(value), key);
}
void UserDefaults::setDouble(double value, const QString &key)
{
    setObject(QVariant(value), key);
}
void UserDefaults::setBool(bool value, const QString &key)
{
    setObject(QVariant(value), key);
}
void UserDefaults::setData(const QByteArray &value, const QString &key)
{
    setObject(QVariant(value), key);
}
void UserDefaults::setArray(const QVariantList &value, const QString &key)
{
    setObject(QVariant(value), key);
}
void UserDefaults::setDictionary(const QVariantMap &value, const QString &key)
{
    setObject(QVariant(value), key);
}

QVariantMap UserDefaults::dictionaryRepresentation() const
{
    std::lock_guard lock(mMutex);
    ensureLoadedLocked();
    return mValues;
}

bool UserDefaults::synchronize()
{
    std::lock_guard lock(mMutex);
    ensureLoadedLocked();
    if (!mDirty)
        return true;
    if (mReadFailed) {
        Log(QStringLiteral("ERROR user defaults %1 not written: the file could not be read")
                .arg(mFilePath));
        return false;
    }
    const bool created = !QFileInfo::exists(mFilePath);
    if (!writePropertyListFile(mFilePath, QVariant(mValues), PlistFormat::Xml)) {
        Log(QStringLiteral("ERROR user defaults not written to %1").arg(mFilePath));
        return false;
    }
    // Settings are this user's own; a file the user already has keeps the mode it was given.
    if (created)
        QFile::setPermissions(mFilePath, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    mDirty = false;
    return true;
}

} // namespace platform
