#pragma once

#include "intake/KeyFile.h"
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
// record (QR code of key/value lines, or a LoRaWAN "LW:" code). A device maker's key file, once
// loaded, completes the keys of scanned devices whose labels carry none.
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

    QString keyFilePath() const { return m_keyFilePath; } // empty: no key file in use
    int keyFileDevices() const { return m_keyFile.size(); }

signals:
    void newDeviceInfo(LoRaDevice device);
    void newSN(QString serialNumber);
    // A LoRaWAN "LW:" code was read wrongly (bad checksum, field missing or malformed); nothing
    // else is emitted for that scan. The reason is a text for the operator.
    void scanUnreadable(QString reason);
    // Emitted right after newDeviceInfo when the key file was consulted for that device: the keys
    // came from the key file (fromKeyFile true), or the key file has none for its DevEUI.
    void keySourceNote(QString note, bool fromKeyFile);

public slots:
    void refreshPorts();
    void initPort();
    void readCode();
    // Asks the operator for a key file and loads it.
    void chooseKeyFile();
    // Loads a key file and remembers its path in the settings; a file that cannot be used leaves
    // the keys and the setting as they were. The panel shows the outcome either way.
    bool loadKeyFile(const QString& path);

protected:
    enum class FirstRefresh
    {
        now,
        byDerivedClass // a derived class lists ports itself and refreshes from its own constructor
    };
    CScanerSettings(QWidget* parent, FirstRefresh firstRefresh);

    // The serial ports the operator can choose from: those the system lists.
    virtual QList<PortEntry> listPorts() const;
    // The key file the operator picks; empty when cancelled.
    virtual QString askKeyFileName();

private:
    void onPortError(QSerialPort* port, QSerialPort::SerialPortError error);
    void decodePendingScan();
    void showIcon(const QString& path);
    void emitDevice(const LoRaDevice& scanned);
    void loadRememberedKeyFile();
    bool applyKeyFile(const QString& path);
    void showKeyFileState(const QString& error);

    QComboBox* m_portBox = nullptr;
    QLabel* m_statusIcon = nullptr;
    QPushButton* m_refreshButton = nullptr;
    QPushButton* m_keyFileButton = nullptr;
    QLabel* m_keyFileLabel = nullptr;
    KeyFile m_keyFile;
    QString m_keyFilePath;
    QList<PortEntry> m_ports; // same order as the combo box
    QSerialPort* m_port = nullptr;
    QString m_iconPath;
    bool m_portFailed = false; // the open port reported a read or resource error

    QTimer* m_quietTimer = nullptr;
    QByteArray m_pendingScan;
    bool m_pendingOverflow = false;
};
