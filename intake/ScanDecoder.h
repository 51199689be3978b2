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
        device,       // a QR code of key/value lines, or a LoRaWAN (LW:) code
        unreadable    // a LoRaWAN (LW:) code that was read wrongly
    };
    Kind kind = Kind::serialNumber;
    QString serialNumber;     // for Kind::serialNumber
    LoRaDevice device;        // for Kind::device; only the credential fields (and sn) are filled
    QString unreadableReason; // for Kind::unreadable: what is wrong, for the operator

    bool isSerialNumber() const { return kind == Kind::serialNumber; }
    bool isUnreadable() const { return kind == Kind::unreadable; }
};

// Turns the bytes of one complete scan into a serial number or a device record:
// - text that starts with "LW:" is a LoRaWAN device identification code (Tr005Code): it gives
//   DevEUI, AppEUI (its JoinEUI) upper-cased and sn (its serial number), or, when malformed, an
//   unreadable result with the reason;
// - text without a line feed is a barcode: the serial number, every CR and LF removed;
// - so is one line ended by a single final LF or CR LF that names none of the credential keys;
// - anything else is a QR code of key/value lines. Decoding it never fails: unknown lines are
//   skipped, missing keys stay empty, a bad DevAddr is 0.
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
