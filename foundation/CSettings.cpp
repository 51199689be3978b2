#include "foundation/CSettings.h"

#include "foundation/DebugLog.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

const QStringList& keyNames()
{
    static const QStringList names = {QStringLiteral("serverIpPort"),
                                      QStringLiteral("serverLogin"),
                                      QStringLiteral("serverPassword"),
                                      QStringLiteral("language"),
                                      QStringLiteral("width"),
                                      QStringLiteral("height"),
                                      QStringLiteral("rememberme"),
                                      QStringLiteral("loraPresets"),
                                      QStringLiteral("devicesFileName"),
                                      QStringLiteral("requestsFileName"),
                                      QStringLiteral("responsesFileName"),
                                      QStringLiteral("lastSendEui"),
                                      QStringLiteral("wsProtocol"),
                                      QStringLiteral("keyFileName"),
                                      QStringLiteral("bulkChunkSize"),
                                      QStringLiteral("loginTimeoutMs")};
    return names;
}

CSettings* g_instance = nullptr;
QMutex g_instanceMutex;

const QString settingsFileName = QStringLiteral("settings.cfg");

} // namespace

QString CSettings::currentDevicesFileName = QStringLiteral("Devices.txt");
QString CSettings::currentRequestsFileName = QStringLiteral("Zapros.txt");
QString CSettings::currentResponsesFileName = QStringLiteral("Otvet.txt");
QString CSettings::currentLastSendEui;

CSettings::CSettings(const QString& filePath, QObject* parent)
    : QSettings(filePath, QSettings::IniFormat, parent)
{
    m_unreadableOnOpen = status() == QSettings::FormatError;
    if (m_unreadableOnOpen)
        DEBUG_LOG << "settings file" << filePath
                  << "is partly unreadable; it is backed up before the first write";
    // The file may hold the server password: keep it private even if it was created with wider rights.
    if (QFile::exists(filePath))
        restrictToOwner();
}

CSettings* CSettings::instance(QObject* parent)
{
    if (!g_instance) {
        QMutexLocker lock(&g_instanceMutex);
        if (!g_instance)
            g_instance = new CSettings(QDir(QDir::currentPath()).absoluteFilePath(settingsFileName), parent);
    }
    return g_instance;
}

QString CSettings::keyName(const CSettings::ESettings& key)
{
    const int index = static_cast<int>(key);
    if (index < 0 || index >= keyNames().size())
        return QString();
    return keyNames().at(index);
}

QString CSettings::backupFilePath(const QString& settingsFilePath)
{
    return settingsFilePath + QStringLiteral(".bak");
}

QVariant CSettings::readValue(const CSettings::ESettings& key, const QVariant& defaultValue)
{
    const QString name = keyName(key);
    QVariant result;
    if (!name.isEmpty())
        result = instance()->value(name, defaultValue);
    if (key == serverPassword) {
        DEBUG_LOG << name << DebugLog::hidden(result.toString());
    } else {
        // Stored presets are a long JSON text: the log gets its start.
        QString shown;
        QDebug(&shown) << result;
        DEBUG_LOG << name << DebugLog::brief(shown);
    }
    return result;
}

bool CSettings::writeValue(const CSettings::ESettings& key, const QVariant& value)
{
    if (!g_instance) {
        // Writing before start-up has opened the store would go nowhere.
        DEBUG_LOG << "OUT false: the settings store is not open";
        return false;
    }
    return g_instance->store(key, value);
}

bool CSettings::store(const CSettings::ESettings& key, const QVariant& value)
{
    const QString name = keyName(key);
    if (name.isEmpty()) {
        DEBUG_LOG << "OUT false";
        return false;
    }
    backUpUnreadableFile();
    // The value stays in memory for this run either way; the caller learns whether it reached the disk.
    const bool writable = isWritable();
    setValue(name, value);
#ifdef Q_OS_UNIX
    // A new file is then created private from the start; an existing one keeps its
    // mode through Qt's atomic rewrite, so it is restricted again afterwards.
    const mode_t previousMask = ::umask(S_IRWXG | S_IRWXO);
    sync();
    ::umask(previousMask);
#else
    sync();
#endif
    restrictToOwner();
    DEBUG_LOG << (writable ? "OUT true" : "OUT false: the settings file cannot be written");
    return writable;
}

void CSettings::seedFileNameKeys()
{
    const struct
    {
        ESettings key;
        const QString& value;
    } defaults[] = {{devicesFileName, currentDevicesFileName},
                    {requestsFileName, currentRequestsFileName},
                    {responsesFileName, currentResponsesFileName},
                    {lastSendEui, currentLastSendEui}};
    for (const auto& entry : defaults) {
        // An empty stored value is a value: only absent keys get their default.
        if (!instance()->contains(keyName(entry.key)))
            writeValue(entry.key, entry.value);
    }
}

void CSettings::loadLastSendEui()
{
    currentLastSendEui = readValue(lastSendEui, currentLastSendEui).toString();
}

int CSettings::bulkChunkSizeValue()
{
    bool ok = false;
    const int size = readValue(bulkChunkSize, defaultBulkChunkSize).toInt(&ok);
    if (!ok || size <= 0) {
        DEBUG_LOG << "bulkChunkSize is not a positive number, using" << defaultBulkChunkSize;
        return defaultBulkChunkSize;
    }
    return size;
}

void CSettings::backUpUnreadableFile()
{
    if (!m_unreadableOnOpen || m_backupDone)
        return;
    m_backupDone = true;
    const QString backup = backupFilePath(fileName());
    QFile::remove(backup);
    if (QFile::copy(fileName(), backup)) {
        QFile::setPermissions(backup, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        DEBUG_LOG << "unreadable settings file kept as" << backup;
    } else {
        DEBUG_LOG << "could not keep a copy of the unreadable settings file as" << backup;
    }
}

void CSettings::restrictToOwner()
{
    if (QFile::exists(fileName()))
        QFile::setPermissions(fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}
