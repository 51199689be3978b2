#pragma once

#include "server/LoRaDevice.h"

#include <QByteArray>
#include <QList>
#include <QSerialPort>
#include <QString>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QTimer;

// The scanner panel: the operator picks the serial port of the barcode/QR scanner, the panel
// opens it read-only and turns every scan into a serial number (one-line barcode) or a device
// record (QR code of key/value lines).
class CScanerSettings : public QWidget
{
    Q_OBJECT
public:
    explicit CScanerSettings(QWidget* parent = nullptr);

    // A scan is complete once the port has been quiet this long: a USB serial port hands
    // one QR code over in several pieces.
    static constexpr int scanQuietGapMs = 50;
    // A burst longer than this without a pause is not a label; it is dropped.
    static constexpr int maxScanBytes = 64 * 1024;

    static const QString warningIcon; // no port opened yet
    static const QString okIcon;      // port open
    static const QString failedIcon;  // opening failed, or the port failed while open

    QString iconPath() const { return m_iconPath; }

    // One serial port the operator can choose.
    struct PortEntry
    {
        QString name;           // as listed, e.g. "ttyUSB0" or "COM5"
        QString description;    // may be empty
        QString systemLocation; // what the port is opened by, e.g. "/dev/ttyUSB0"
    };

signals:
    void newDeviceInfo(LoRaDevice device);
    void newSN(QString serialNumber);

public slots:
    void refreshPorts();
    void initPort();
    void readCode();

protected:
    enum class FirstRefresh
    {
        now,
        byDerivedClass // a derived class lists ports itself and refreshes from its own constructor
    };
    CScanerSettings(QWidget* parent, FirstRefresh firstRefresh);

    // The serial ports the operator can choose from: those the system lists.
    virtual QList<PortEntry> listPorts() const;

private:
    void onPortError(QSerialPort* port, QSerialPort::SerialPortError error);
    void decodePendingScan();
    void showIcon(const QString& path);

    QComboBox* m_portBox = nullptr;
    QLabel* m_statusIcon = nullptr;
    QPushButton* m_refreshButton = nullptr;
    QList<PortEntry> m_ports; // same order as the combo box
    QSerialPort* m_port = nullptr;
    QString m_iconPath;
    bool m_portFailed = false; // the open port reported a read or resource error

    QTimer* m_quietTimer = nullptr;
    QByteArray m_pendingScan;
    bool m_pendingOverflow = false;
};
