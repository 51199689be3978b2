#pragma once

#include "server/LoRaDevice.h"

#include <QPointer>
#include <QWidget>

class CScanerSettings;
class CServerSettingsWidget;
class QLabel;
class SendDataDialog;

// The column on the left: logo, server connection, scanner and the send-data action.
class CLeftPanel : public QWidget
{
    Q_OBJECT
public:
    // Without a scanner panel of its own the panel makes one that lists the system's ports.
    explicit CLeftPanel(QWidget* parent = nullptr, CScanerSettings* scanner = nullptr);

signals:
    void newDeviceInfo(LoRaDevice device);
    void newDevicesList(QVector<LoRaDevice> devices);
    void newSN(QString sn);
    // Forwarded from the scanner panel.
    void scanUnreadable(QString reason);
    void keySourceNote(QString note, bool fromKeyFile);

private:
    void showSendDataDialog();

    QString m_logoPath;
    QLabel* m_logo = nullptr;
    CServerSettingsWidget* m_serverSettings = nullptr;
    CScanerSettings* m_scanner = nullptr;
    QPointer<SendDataDialog> m_sendDataDialog;
};
