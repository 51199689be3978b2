#pragma once

#include <QSettings>
#include <QVariant>

#include <memory>

class QTemporaryDir;

// The program's only persistent store: "settings.cfg" (INI) in the working directory.
// Everything goes through readValue/writeValue; every write reaches the disk at once.
class CSettings : public QSettings
{
    Q_OBJECT
public:
    // A fixed underlying type: every int converts to a member value, so keyName can refuse
    // a value outside the list instead of meeting undefined behaviour.
    enum ESettings : int
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
        keyFileName,   // the device maker's key file, loaded again at start-up
        bulkChunkSize, // most devices in one registration request of a device file
        loginTimeoutMs // time from Connect until the login is complete, in milliseconds
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

    // The settings file this store stands for; files kept beside it (journal, backups) go to
    // its folder. fileName() may name a cleaned copy instead.
    QString filePath() const { return m_filePath; }

    static QString keyName(const CSettings::ESettings& key);
    static QString backupFilePath(const QString& settingsFilePath);

private:
    struct ScreenedFile;
    CSettings(const ScreenedFile& screened, QObject* parent);
    // Opens the file only after the values Qt cannot read safely are taken out of it (the
    // original kept as the backup), or, when it cannot be rewritten, a cleaned copy of it.
    static ScreenedFile screenFile(const QString& filePath);

    void backUpUnreadableFile();
    void restrictToOwner();

    QString m_filePath;
    bool m_unreadableOnOpen = false;
    bool m_backupDone = false;
    // Set when the store works on a cleaned copy: nothing then reaches the real file.
    std::shared_ptr<QTemporaryDir> m_cleanedCopyDir;
};
