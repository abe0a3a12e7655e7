#pragma once
// The user's defaults: one XML property list in the user's config folder, read on first use and
// written by synchronize(). Values keep their exact type: qint64, double, bool, QString,
// QByteArray, QDateTime, QVariantList and QVariantMap. Safe to use from any thread.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <mutex>

namespace platform {

class UserDefaults
{
public:
    // The process's store: <GenericConfigLocation>/pelkomerge/defaults.plist.
    static UserDefaults &standard();

    explicit UserDefaults(QString filePath);

    QString filePath() const;
    // Points the store at another file and loads it (unsaved changes are dropped).
    void setFilePath(QString filePath);

    // An invalid QVariant when the key is absent.
    QVariant objectForKey(const QString &key) const;
    // An invalid value removes the key.
    void setObject(const QVariant &value, const QString &key);
    void removeObjectForKey(const QString &key);
    bool hasKey(const QString &key) const;

    // Typed reads answer the neutral value (null string, 0, false, empty) when the key is absent
    // or holds another type; numbers convert between integer, real and bool as stored numbers do.
    QString stringForKey(const QString &key) const;
    qint64 integerForKey(const QString &key) const;
    double doubleForKey(const QString &key) const;
    bool boolForKey(const QString &key) const;
    QByteArray dataForKey(const QString &key) const;
    QVariantList arrayForKey(const QString &key) const;
    QVariantMap dictionaryForKey(const QString &key) const;

    void setString(const QString &value, const QString &key);
    void setInteger(qint64 value, const QString &key);
    void setDouble(double value, const QString &key);
    void setBool(bool value, const QString &key);
    void setData(const QByteArray &value, const QString &key);
    void setArray(const QVariantList &value, const QString &key);
    void setDictionary(const QVariantMap &value, const QString &key);

    // Every key and value at once.
    QVariantMap dictionaryRepresentation() const;

    // Writes the store atomically as an XML property list; false (old file kept) on failure.
    bool synchronize();
    // Drops unsaved changes and reads the file again.
    void reload();

private:
    void ensureLoadedLocked() const;
    void loadLocked() const;
    QVariant valueLocked(const QString &key) const;

    mutable std::recursive_mutex mMutex;
    QString mFilePath;
    mutable QVariantMap mValues;
    mutable bool mLoaded = false;
    // Set when the file exists but could not be read or moved aside: it is then never overwritten.
    mutable bool mReadFailed = false;
    bool mDirty = false;
};

} // namespace platform
