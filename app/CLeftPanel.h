#pragma once

#include "server/LoRaDevice.h"

#include <QPointer>
#include <QWidget>

class CScanerSettings;
class CServerSettingsWidget;
class DevicesFileLoader;
class QLabel;
class SendDataDialog;

// The column on the left: logo, server connection, scanner, the bulk load from a device file
// and the send-data action.
class CLeftPanel : public QWidget
{
    Q_OBJECT
public:
    // Without a scanner panel of its own the panel makes one that lists the system's ports.
    explicit CLeftPanel(QWidget* parent = nullptr, CScanerSettings* scanner = nullptr);

    // Wires a bulk-load dialog to the server's answers and to this panel's list signals.
    void connectDevicesFileLoader(DevicesFileLoader* loader);

signals:
    void newDeviceInfo(LoRaDevice device);
    void newDevicesList(QVector<LoRaDevice> devices);
    void newSN(QString sn);
    // The bulk-load dialog wants no more requests of its list sent.
    void stopDevicesList();
    // The list handed on by newDevicesList has been registered as far as it went (forwarded
    // to the bulk-load dialog).
    void devicesListEnded(int notSent, int unanswered);
    // Forwarded from the scanner panel.
    void scanUnreadable(QString reason);
    void keySourceNote(QString note, bool fromKeyFile);

private:
    void showSendDataDialog();
    void readDevicesFromFile();

    QString m_logoPath;
    QLabel* m_logo = nullptr;
    CServerSettingsWidget* m_serverSettings = nullptr;
    CScanerSettings* m_scanner = nullptr;
    QPointer<SendDataDialog> m_sendDataDialog;
};
