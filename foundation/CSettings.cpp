#include "foundation/CSettings.h"

#include "foundation/DebugLog.h"
#include "foundation/SettingsFileScreen.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QSaveFile>
#include <QStringList>
#include <QTemporaryDir>

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

struct CSettings::ScreenedFile
{
    QString filePath;
    QString openPath;
    bool backedUp = false;
    std::shared_ptr<QTemporaryDir> cleanedCopyDir;
};

namespace {

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

bool writeWholeFile(const QString& path, const QByteArray& content)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return false;
    file.setPermissions(ownerOnly);
    return file.commit();
}

} // namespace

CSettings::ScreenedFile CSettings::screenFile(const QString& filePath)
{
    ScreenedFile screened;
    screened.filePath = filePath;
    screened.openPath = filePath;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return screened; // nothing to read, or Qt finds it unreadable as well
    const ScreenedSettingsText clean = SettingsFileScreen::withoutSerializedValues(file.readAll());
    file.close();
    if (clean.droppedKeys.isEmpty())
        return screened;

    CRITICAL_LOG << "settings file" << filePath << "holds values this program never writes, dropped:"
                 << clean.droppedKeys.join(QLatin1Char(' '));
    const QString backup = backupFilePath(filePath);
    QFile::remove(backup);
    if (QFile::copy(filePath, backup)) {
        QFile::setPermissions(backup, ownerOnly);
        screened.backedUp = true;
        if (writeWholeFile(filePath, clean.text)) {
            DEBUG_LOG << "the original settings file is kept as" << backup;
            return screened;
        }
    }
    // The file cannot be mended in place: this run works on a cleaned copy and reports every
    // write as failed, and the real file stays as it is.
    DEBUG_LOG << "settings file" << filePath << "cannot be rewritten; settings are not saved in this run";
    screened.cleanedCopyDir = std::make_shared<QTemporaryDir>();
    const QString copy = screened.cleanedCopyDir->isValid()
                             ? screened.cleanedCopyDir->filePath(QStringLiteral("settings.cfg"))
                             : QString();
    if (copy.isEmpty() || !writeWholeFile(copy, clean.text))
        DEBUG_LOG << "no cleaned copy of the settings file could be made; stored settings are not read";
    screened.openPath = copy;
    return screened;
}

CSettings::CSettings(const QString& filePath, QObject* parent) : CSettings(screenFile(filePath), parent) {}

CSettings::CSettings(const ScreenedFile& screened, QObject* parent)
    : QSettings(screened.openPath, QSettings::IniFormat, parent), m_filePath(screened.filePath),
      m_backupDone(screened.backedUp || screened.cleanedCopyDir), m_cleanedCopyDir(screened.cleanedCopyDir)
{
    const QString& filePath = m_filePath;
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
    const bool writable = isWritable() && !m_cleanedCopyDir;
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
    const QString backup = backupFilePath(m_filePath);
    QFile::remove(backup);
    if (QFile::copy(m_filePath, backup)) {
        QFile::setPermissions(backup, ownerOnly);
        DEBUG_LOG << "unreadable settings file kept as" << backup;
    } else {
        DEBUG_LOG << "could not keep a copy of the unreadable settings file as" << backup;
    }
}

void CSettings::restrictToOwner()
{
    if (QFile::exists(m_filePath))
        QFile::setPermissions(m_filePath, ownerOnly);
}
