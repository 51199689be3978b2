#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

// Queues one downlink for one device: DevEUI, LoRaWAN port, payload and whether the device
// must acknowledge it. The left panel keeps one dialog and shows it again, so the fields
// keep what was typed last time.
class SendDataDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SendDataDialog(QWidget* parent = nullptr);

    // Largest application payload of a downlink, in bytes, and the ports an application may use.
    static constexpr int maxPayloadBytes = 242;
    static constexpr int minPort = 1;
    static constexpr int maxPort = 223;
    // What is wrong with a port and payload as typed, in words; empty when both can be sent.
    static QString inputError(const QString& port, const QString& data);

public slots:
    // Sends the downlink, remembers the DevEUI for the next time and closes the dialog.
    void sendData();

private:
    QLineEdit* m_devEuiEdit = nullptr;
    QLineEdit* m_dataEdit = nullptr;
    QLineEdit* m_portEdit = nullptr;
    QCheckBox* m_ackBox = nullptr;
};
