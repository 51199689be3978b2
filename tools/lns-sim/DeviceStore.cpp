#include "DeviceStore.h"

#include "JsonInput.h"
#include "RegistrationRules.h"
#include "StoredDeviceCheck.h"
#include "server/JsonText.h"
#include "server/Protocol.h"

#include <QAtomicInt>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>

namespace {
QAtomicInt connectionCounter;

std::optional<quint32> devAddressOf(const QJsonObject& device)
{
    return RegistrationRules::devAddressValue(device.value(Protocol::Key::abp)[Protocol::Key::devAddress]);
}

std::nullopt_t skip(QString* skipped, const QString& row, const QString& problem)
{
    *skipped = QStringLiteral("stored %1 skipped (left in the file): %2").arg(row, problem);
    return std::nullopt;
}

// The device of one row of "SELECT rowid, dev_eui, typeof(dev_eui), typeof(device), device";
// nullopt, with the line that names the row and says what is wrong, when it is not sound.
std::optional<QJsonObject> readRow(const QSqlQuery& row, QString* skipped)
{
    const QString rowName = QStringLiteral("row %1").arg(row.value(0).toLongLong());
    const QString devEui = row.value(1).toString();
    if (row.value(2).toString() != QLatin1String("text"))
        return skip(skipped, rowName,
                    QStringLiteral("dev_eui is of SQLite type %1, not text").arg(row.value(2).toString()));
    if (!StoredDeviceCheck::isUpperHex(devEui, RegistrationRules::euiDigits)) {
        return skip(skipped, rowName,
                    QStringLiteral("dev_eui %1: not %2 upper-case hex digits")
                        .arg(StoredDeviceCheck::shown(devEui))
                        .arg(RegistrationRules::euiDigits));
    }
    const QString deviceName = QStringLiteral("device %1").arg(devEui);
    if (row.value(3).toString() != QLatin1String("text"))
        return skip(skipped, deviceName,
                    QStringLiteral("device is of SQLite type %1, not text").arg(row.value(3).toString()));
    QString problem;
    const std::optional<QJsonObject> device =
        JsonInput::parseObject(row.value(4).toString().toUtf8(), &problem);
    if (device)
        problem = StoredDeviceCheck::problem(devEui, *device);
    if (!problem.isEmpty())
        return skip(skipped, deviceName, problem);
    return device;
}
} // namespace

DeviceStore::DeviceStore()
    : m_connectionName(QStringLiteral("ravlo-lns-sim-store-%1").arg(connectionCounter.fetchAndAddOrdered(1)))
{
}

DeviceStore::~DeviceStore()
{
    close();
}

void DeviceStore::close()
{
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool DeviceStore::exec(const QString& statement, QString* error)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
    if (query.exec(statement))
        return true;
    if (error)
        *error = query.lastError().text();
    return false;
}

bool DeviceStore::open(const QString& path, QString* error, QStringList* warnings)
{
    m_path = path;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        if (!db.isValid()) {
            *error = QStringLiteral("the SQLite driver of Qt (QSQLITE) is not installed");
            return false;
        }
        db.setDatabaseName(path.isEmpty() ? QStringLiteral(":memory:") : path);
        if (!db.open()) {
            *error = db.lastError().text();
            return false;
        }
    }
    // One simulator per file: the exclusive lock makes a second one fail here instead of
    // serving a copy of the devices that goes stale.
    if (!exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"), error) ||
        !exec(QStringLiteral("BEGIN EXCLUSIVE"), error) || !exec(QStringLiteral("COMMIT"), error) ||
        !exec(QStringLiteral("CREATE TABLE IF NOT EXISTS devices (dev_eui TEXT PRIMARY KEY NOT NULL, "
                             "device TEXT NOT NULL)"),
              error) ||
        !exec(QStringLiteral("CREATE TABLE IF NOT EXISTS appdata (dev_eui TEXT PRIMARY KEY NOT NULL, "
                             "data TEXT NOT NULL)"),
              error))
        return false;

    return loadDevices(error, warnings);
}

bool DeviceStore::loadDevices(QString* error, QStringList* warnings)
{
    QSqlQuery rows(QSqlDatabase::database(m_connectionName, false));
    rows.setForwardOnly(true);
    if (!rows.exec(
            QStringLiteral("SELECT rowid, dev_eui, typeof(dev_eui), typeof(device), device FROM devices "
                           "ORDER BY dev_eui"))) {
        *error = rows.lastError().text();
        return false;
    }
    while (rows.next()) {
        QString skipped;
        const std::optional<QJsonObject> device = readRow(rows, &skipped);
        const QString devEui = rows.value(1).toString();
        const std::optional<quint32> address = device ? devAddressOf(*device) : std::nullopt;
        if (address && m_byDevAddr.contains(*address)) {
            skip(&skipped, QStringLiteral("device %1").arg(devEui),
                 QStringLiteral("\"ABP\".\"devAddress\" %1: held by %2 already")
                     .arg(*address)
                     .arg(m_byDevAddr.value(*address)));
        }
        if (!skipped.isEmpty()) {
            if (warnings)
                warnings->append(skipped);
            continue;
        }
        hold(devEui, *device);
    }
    return true;
}

int DeviceStore::countWithPrefix(const QString& prefix) const
{
    if (prefix.isEmpty())
        return m_devices.size();
    const QString upper = prefix.toUpper();
    return static_cast<int>(
        std::count_if(m_devices.keyBegin(), m_devices.keyEnd(),
                      [&upper](const QString& devEui) { return devEui.startsWith(upper); }));
}

std::optional<QJsonObject> DeviceStore::find(const QString& devEui) const
{
    const auto it = m_devices.constFind(devEui.toUpper());
    if (it == m_devices.constEnd())
        return std::nullopt;
    return it->device;
}

QString DeviceStore::text(const QString& devEui) const
{
    const auto it = m_devices.constFind(devEui.toUpper());
    return it == m_devices.constEnd() ? QString() : it->text;
}

QStringList DeviceStore::texts() const
{
    if (!m_orderedTexts) {
        QStringList texts;
        texts.reserve(m_devices.size());
        for (const QString& devEui : ordered())
            texts.append(m_devices.constFind(devEui)->text);
        m_orderedTexts = std::move(texts);
    }
    return *m_orderedTexts;
}

QString DeviceStore::devAddrOwner(quint32 devAddress) const
{
    return m_byDevAddr.value(devAddress);
}

QVector<QJsonObject> DeviceStore::all() const
{
    QVector<QJsonObject> devices;
    devices.reserve(m_devices.size());
    for (const QString& devEui : ordered())
        devices.append(m_devices.constFind(devEui)->device);
    return devices;
}

const QStringList& DeviceStore::ordered() const
{
    if (!m_ordered) {
        QStringList devEuis = m_devices.keys();
        std::sort(devEuis.begin(), devEuis.end());
        m_ordered = std::move(devEuis);
    }
    return *m_ordered;
}

void DeviceStore::hold(const QString& devEui, const QJsonObject& device)
{
    Held held{device, compactJsonText(device)};
    m_orderedTexts.reset();
    const auto it = m_devices.find(devEui);
    if (it != m_devices.end()) {
        *it = std::move(held);
    } else {
        m_devices.insert(devEui, std::move(held));
        m_ordered.reset();
    }
    index(devEui, device);
}

void DeviceStore::index(const QString& devEui, const QJsonObject& device)
{
    if (const auto address = devAddressOf(device))
        m_byDevAddr.insert(*address, devEui);
}

void DeviceStore::unindex(const QString& devEui, const QJsonObject& device)
{
    const auto address = devAddressOf(device);
    if (address && m_byDevAddr.value(*address) == devEui)
        m_byDevAddr.remove(*address);
}

void DeviceStore::beginChanges()
{
    m_undo.clear();
    m_pendingAppData.clear();
}

void DeviceStore::remember(const QString& devEui)
{
    if (!m_undo.contains(devEui))
        m_undo.insert(devEui, Undo{m_devices.contains(devEui) ? std::optional<Held>(m_devices.value(devEui))
                                                              : std::nullopt});
}

void DeviceStore::put(const QString& devEui, const QJsonObject& device)
{
    const QString key = devEui.toUpper();
    remember(key);
    if (const auto old = find(key))
        unindex(key, *old);
    hold(key, device);
}

bool DeviceStore::remove(const QString& devEui)
{
    const QString key = devEui.toUpper();
    const auto old = find(key);
    if (!old)
        return false;
    remember(key);
    unindex(key, *old);
    m_devices.remove(key);
    m_ordered.reset();
    m_orderedTexts.reset();
    m_pendingAppData.remove(key);
    return true;
}

void DeviceStore::putAppData(const QString& devEui, const QJsonObject& appData)
{
    m_pendingAppData.insert(devEui.toUpper(), appData);
}

void DeviceStore::rollBackMemory()
{
    m_ordered.reset();
    m_orderedTexts.reset();
    for (auto it = m_undo.constBegin(); it != m_undo.constEnd(); ++it) {
        if (const auto current = find(it.key())) {
            unindex(it.key(), *current);
            m_devices.remove(it.key());
        }
        if (it.value().before) {
            m_devices.insert(it.key(), *it.value().before);
            index(it.key(), it.value().before->device);
        }
    }
    m_undo.clear();
    m_pendingAppData.clear();
}

bool DeviceStore::writeChanges(QString* error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.transaction()) {
        *error = db.lastError().text();
        return false;
    }
    QSqlQuery upsert(db);
    QSqlQuery erase(db);
    QSqlQuery eraseAppData(db);
    QSqlQuery upsertAppData(db);
    QSqlQuery* failed = nullptr;
    const auto prepare = [&failed](QSqlQuery& query, const QString& statement) {
        if (!failed && !query.prepare(statement))
            failed = &query;
    };
    const auto run = [&failed](QSqlQuery& query, const QString& devEui, const QString* text) {
        if (failed)
            return;
        query.addBindValue(devEui);
        if (text)
            query.addBindValue(*text);
        if (!query.exec())
            failed = &query;
    };
    prepare(upsert, QStringLiteral("INSERT OR REPLACE INTO devices (dev_eui, device) VALUES (?, ?)"));
    prepare(erase, QStringLiteral("DELETE FROM devices WHERE dev_eui = ?"));
    prepare(eraseAppData, QStringLiteral("DELETE FROM appdata WHERE dev_eui = ?"));
    prepare(upsertAppData, QStringLiteral("INSERT OR REPLACE INTO appdata (dev_eui, data) VALUES (?, ?)"));
    for (auto it = m_undo.constBegin(); !failed && it != m_undo.constEnd(); ++it) {
        const auto now = m_devices.constFind(it.key());
        if (now != m_devices.constEnd()) {
            run(upsert, it.key(), &now->text);
        } else {
            run(erase, it.key(), nullptr);
            run(eraseAppData, it.key(), nullptr);
        }
    }
    for (auto it = m_pendingAppData.constBegin(); !failed && it != m_pendingAppData.constEnd(); ++it) {
        if (m_devices.contains(it.key())) {
            const QString text = compactJsonText(it.value());
            run(upsertAppData, it.key(), &text);
        }
    }
    if (failed) {
        *error = failed->lastError().text();
        db.rollback();
        return false;
    }
    if (!db.commit()) {
        *error = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

bool DeviceStore::commitChanges(QString* error)
{
    if (m_undo.isEmpty() && m_pendingAppData.isEmpty())
        return true;
    QString failure;
    const bool ok = writeChanges(&failure);
    if (!ok) {
        rollBackMemory();
        if (error)
            *error = failure;
    }
    m_undo.clear();
    m_pendingAppData.clear();
    return ok;
}
