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

public slots:
    // Sends the downlink, remembers the DevEUI for the next time and closes the dialog.
    void sendData();

private:
    QLineEdit* m_devEuiEdit = nullptr;
    QLineEdit* m_dataEdit = nullptr;
    QLineEdit* m_portEdit = nullptr;
    QCheckBox* m_ackBox = nullptr;
};
