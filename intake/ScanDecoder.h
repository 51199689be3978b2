#pragma once

#include "server/LoRaDevice.h"

#include <QByteArray>
#include <QString>

// What one scan of the barcode/QR scanner turned out to be.
struct ScanResult
{
    enum class Kind
    {
        serialNumber, // a one-line barcode
        device        // a QR code of key/value lines
    };
    Kind kind = Kind::serialNumber;
    QString serialNumber; // for Kind::serialNumber
    LoRaDevice device;    // for Kind::device; only the six credential fields are filled

    bool isSerialNumber() const { return kind == Kind::serialNumber; }
};

// Turns the bytes of one complete scan into a serial number or a device record.
// Decoding never fails: unknown lines are skipped, missing keys stay empty, a bad DevAddr is 0.
class ScanDecoder
{
public:
    ScanDecoder() = delete;

    static ScanResult decode(const QByteArray& scan);

    // The scan as text: UTF-8 up to the first NUL byte.
    static QString scanText(const QByteArray& scan);
    // The value of one label line: the part after a single "=", otherwise the second
    // blank-separated part, otherwise nothing. Never trimmed.
    static QString lineValue(const QString& line);
    // A DevAddr value read as a hexadecimal 32-bit number; 0 when it is not one.
    static quint32 devAddrValue(const QString& value);
};
