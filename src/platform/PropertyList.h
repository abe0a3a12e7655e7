#pragma once
// Property lists (XML and binary) to and from QVariant.
//
// Value mapping: integer <-> qint64, real <-> double, boolean <-> bool, string <-> QString,
// data <-> QByteArray, date <-> QDateTime (UTC), array <-> QVariantList, dictionary <->
// QVariantMap. Other QVariant types (int, uint, float, QStringList, QVariantHash) are converted on
// writing.

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <optional>

namespace platform {

enum class PlistFormat { Xml, Binary };

// Parses an XML or binary property list; nullopt for malformed, unsupported or absurdly deep input.
std::optional<QVariant> propertyListFromData(const QByteArray &data);
// Serialises a value; an empty QByteArray when the value holds a type a property list cannot carry.
QByteArray dataFromPropertyList(const QVariant &value, PlistFormat format = PlistFormat::Xml);

// The value, containers included, in the types a property list holds: int and uint become
// qint64, float double, QStringList a QVariantList, QVariantHash a QVariantMap, dates UTC (cut to
// whole seconds with wholeSecondDates, as XML keeps them); nullopt for a type or a date it cannot
// hold.
std::optional<QVariant> normalizedPropertyListValue(const QVariant &value,
                                                    bool wholeSecondDates = false, int depth = 0);

// Reads a property-list file; nullopt when it is missing, unreadable or malformed.
std::optional<QVariant> readPropertyListFile(const QString &path);
// Writes a property-list file atomically; false (and the old file kept) on failure.
bool writePropertyListFile(const QString &path, const QVariant &value,
                           PlistFormat format = PlistFormat::Xml);

} // namespace platform
