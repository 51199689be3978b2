#pragma once

#include <QHash>
#include <QJsonObject>
#include <QString>
#include <QVector>

#include <optional>

// The devices the simulated server holds, kept in SQLite (a file, or memory) and mirrored in
// memory so that the registration rules can look devices up quickly. Changes are made in a
// batch (beginChanges … commitChanges): the batch is written in one transaction, and if that
// fails the memory mirror is put back as it was, so memory and file never disagree. Each held
// device's compact JSON text is kept beside it, ready for the database and for answers.
class DeviceStore
{
public:
    DeviceStore();
    ~DeviceStore();
    DeviceStore(const DeviceStore&) = delete;
    DeviceStore& operator=(const DeviceStore&) = delete;

    // Opens (and creates) the database; an empty path keeps it in memory. A row that is not a
    // sound device (see StoredDeviceCheck), or whose DevAddr a row before it holds, is left in
    // the file untouched and named in one line of `warnings`; the other rows are loaded.
    bool open(const QString& path, QString* error, QStringList* warnings = nullptr);
    QString path() const { return m_path; }
    // Closes the database (the destructor does it too). Every batch is committed by then.
    void close();

    int count() const { return m_devices.size(); }
    // Devices whose DevEUI starts with the prefix (case-insensitive).
    int countWithPrefix(const QString& prefix) const;
    std::optional<QJsonObject> find(const QString& devEui) const;
    // The compact JSON text of a held device (as compactJsonText writes it), or a null string.
    QString text(const QString& devEui) const;
    // The texts of every device, ordered by DevEUI.
    QStringList texts() const;
    // DevEUI of the device holding this DevAddr, or "".
    QString devAddrOwner(quint32 devAddress) const;
    // Every device, ordered by DevEUI.
    QVector<QJsonObject> all() const;
    // The DevEUIs, in no particular order.
    QStringList devEuis() const { return m_devices.keys(); }

    void beginChanges();
    void put(const QString& devEui, const QJsonObject& device);
    bool remove(const QString& devEui);
    // Application data of a held device (written with the batch; removed with the device).
    void putAppData(const QString& devEui, const QJsonObject& appData);
    bool commitChanges(QString* error);

private:
    struct Held
    {
        QJsonObject device;
        QString text;
    };
    struct Undo
    {
        std::optional<Held> before;
    };
    void hold(const QString& devEui, const QJsonObject& device);
    const QStringList& ordered() const;
    void index(const QString& devEui, const QJsonObject& device);
    void unindex(const QString& devEui, const QJsonObject& device);
    void remember(const QString& devEui);
    void rollBackMemory();
    bool loadDevices(QString* error, QStringList* warnings);
    bool writeChanges(QString* error);
    bool exec(const QString& statement, QString* error);

    QString m_connectionName;
    QString m_path;
    QHash<QString, Held> m_devices;
    // The DevEUIs sorted, as lists are answered, made again after a device came or went; and
    // the texts in that order, made again after any change.
    mutable std::optional<QStringList> m_ordered;
    mutable std::optional<QStringList> m_orderedTexts;
    QHash<quint32, QString> m_byDevAddr;
    QHash<QString, Undo> m_undo; // devices changed in the open batch, as they were before
    QHash<QString, QJsonObject> m_pendingAppData;
};
