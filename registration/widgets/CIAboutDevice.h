#pragma once

#include "meters/widgets/CPulseSettingsField.h"
#include "server/LoRaDevice.h"
#include "server/ServerDeviceRow.h"
#include "server/ServerRecords.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QWidget>

class CExpertSettingsField;
class CLoRaPresets;
class COptionalSettingsField;
class CServerDataView;
class DetailsButtonDelegate;
class DeviceListModel;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class BulkRegistration;
class RequestsFileSender;

// The registration page: shows the credentials of the device last scanned, completes it with
// the settings chosen on the page and registers it on the server, by button or at once in
// auto mode; shows the server's answer and the server's record of the device; holds the
// server's device table on its second tab; registers the devices of a file; sends the
// downlinks listed in a requests file.
class CIAboutDevice : public QWidget
{
    Q_OBJECT
public:
    explicit CIAboutDevice(QWidget* parent = nullptr);

    // The record the page would register now.
    LoRaDevice currentDevice() const { return m_currentDevice; }

    // A further tab after the device table (the journal).
    void addPageTab(QWidget* tab, const QString& title);

signals:
    void resizeWindow();
    void expand();
    void devicesChanged(int count);
    // A list given to regDevicesList has been registered as far as it went: notSent devices
    // never went out, unanswered ones went out without an answer.
    void devicesListEnded(int notSent, int unanswered);

public slots:
    void scanDeviceInfo(LoRaDevice info);
    void sendInfoToTheNextStage();
    void statusCon(AuthResponse authInfo);
    void changePossibleStates(QString lastStatus);
    void clearInputs();
    void defaulSettingsWDs();
    void clearDevInfoFromServer();
    void snReceived(QString sn);
    void regDevicesList(QVector<LoRaDevice> devices);
    void changeDevInfo(LoRaDevice devInfoResp);
    void iniPresets(QString presets);
    void findPreset(QString presetName);
    void changePresets();
    void createPreset();
    void fillDeviceTable(QJsonDocument devList);
    void fillDeviceRows(ServerDeviceRows rows);
    void sendDataToDevice();
    void deleteDevice(QString deveui);
    QJsonObject prepareJsonObjPreset();
    void open();
    QJsonDocument createPulseJson(CPulseSettingsField::SettStruct set, QString deveui, QString sn);
    // A scanned code that could not be read, with what is wrong with it.
    void scanUnreadable(QString reason);
    // Where the keys of the device just scanned came from: the maker's key file, or no entry there.
    void showKeySource(QString note, bool fromKeyFile);
    // Sends no more requests of the list being registered.
    void stopDevicesList();

private:
    QWidget* buildSettingsColumn();
    QWidget* buildCredentialsColumn();
    QWidget* buildTableTab();
    QLineEdit* addCredentialRow(QGroupBox* group, const QString& caption, const QString& objectName);

    static bool loggedIn();
    // The page of an unreadable code: "Invalid QR/Barcode" everywhere, the reason (if any) in the error
    // label.
    void showReadingError(const QString& reason);
    // "Нет подлючения к серверу" in the server-data group; nothing is sent.
    void showNoConnection();
    void showDeleteStatuses(const QVector<QPair<QString, QString>>& statuses);
    void recordAdded(const QString& devEui, const QString& status);
    void refreshDeviceTable();
    void onRequestsProgress(int sent, int skipped);
    void onRequestsFinished(int end, int sent, int skipped);
    void onDevicesListFinished(int notSent, int unanswered);

    LoRaDevice m_currentDevice;
    QString m_serialNumber;

    CExpertSettingsField* m_expert = nullptr;
    COptionalSettingsField* m_optional = nullptr;
    CPulseSettingsField* m_pulse = nullptr;
    CLoRaPresets* m_presets = nullptr;

    QLineEdit* m_devEuiEdit = nullptr;
    QLineEdit* m_appEuiEdit = nullptr;
    QLineEdit* m_appKeyEdit = nullptr;
    QLineEdit* m_devAddrEdit = nullptr;
    QLineEdit* m_appSKeyEdit = nullptr;
    QLineEdit* m_nwkSKeyEdit = nullptr;
    QLineEdit* m_snEdit = nullptr;
    QList<QLabel*> m_credentialCaptions; // the six of the main group

    QLabel* m_errorLabel = nullptr;
    CServerDataView* m_serverData = nullptr;
    QGroupBox* m_mainGroup = nullptr;
    QGroupBox* m_additionalGroup = nullptr;
    QPushButton* m_addButton = nullptr;
    QCheckBox* m_autoModeBox = nullptr;
    QPushButton* m_openRequestsButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    QLabel* m_requestsStatus = nullptr;
    RequestsFileSender* m_requestsSender = nullptr;
    BulkRegistration* m_bulk = nullptr;

    QTabWidget* m_tabs = nullptr;
    QTableView* m_deviceTable = nullptr;
    DeviceListModel* m_deviceModel = nullptr;
    DetailsButtonDelegate* m_delegate = nullptr;
    QLabel* m_deleteStatus = nullptr;
};
