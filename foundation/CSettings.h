#pragma once

#include <QSettings>
#include <QVariant>

// The program's only persistent store: "settings.cfg" (INI) in the working directory.
// Everything goes through readValue/writeValue; every write reaches the disk at once.
class CSettings : public QSettings
{
    Q_OBJECT
public:
    enum ESettings
    {
        serverIpPort,
        serverLogin,
        serverPassword,
        language,
        width,
        height,
        rememberme,
        loraPresets,
        devicesFileName,
        requestsFileName,
        responsesFileName,
        lastSendEui,
        wsProtocol,
        keyFileName,  // the device maker's key file, loaded again at start-up
        bulkChunkSize // most devices in one registration request of a device file
    };
    Q_ENUM(ESettings)

    // Process-wide defaults of the file-name keys and the DevEUI last used for sending data.
    static QString currentDevicesFileName;
    static QString currentRequestsFileName;
    static QString currentResponsesFileName;
    static QString currentLastSendEui;
    // Devices per request of a bulk registration when bulkChunkSize holds no positive number.
    static constexpr int defaultBulkChunkSize = 1000;
    static int bulkChunkSizeValue();

    static CSettings* instance(QObject* parent = nullptr);

    static QVariant readValue(const CSettings::ESettings& key, const QVariant& defaultValue = QVariant());
    // false for a member without a key, or when the file cannot be written (the value is then
    // kept in memory for the rest of the run).
    static bool writeValue(const CSettings::ESettings& key, const QVariant& value);

    // Writes the defaults of the three file-name keys and lastSendEui where they are absent.
    static void seedFileNameKeys();
    // Takes the DevEUI saved by an earlier run into currentLastSendEui, so the send-data
    // dialog offers it again after a restart.
    static void loadLastSendEui();

    // A store on an explicit file; the program itself uses instance(), which opens
    // "settings.cfg" in the current working directory.
    explicit CSettings(const QString& filePath, QObject* parent = nullptr);

    // Stores and synchronises one key of this store (the static writeValue uses the instance).
    bool store(const CSettings::ESettings& key, const QVariant& value);

    static QString keyName(const CSettings::ESettings& key);
    static QString backupFilePath(const QString& settingsFilePath);

private:
    void backUpUnreadableFile();
    void restrictToOwner();

    bool m_unreadableOnOpen = false;
    bool m_backupDone = false;
};
