#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QObject>
#include <QString>

// A LoRa Alliance device identification QR code, one line of colon-separated fields:
//     LW:D0:<JoinEUI>:<DevEUI>:<ProfileID>[:<extension>]...
// JoinEUI and DevEUI are 16 hexadecimal digits, ProfileID 8 (vendor and profile number). Each
// extension starts with a one-letter tag: O owner token, S serial number, P proprietary data,
// C checksum. The checksum is the last field, 4 hexadecimal digits: the CRC-16 (polynomial 0x8005
// reflected, initial value 0xFFFF, as Modbus uses it) of every character before the colon that
// introduces it. Extensions with other tags are skipped. Hexadecimal digits may be of either case.
struct Tr005Code
{
    Q_GADGET
    Q_DECLARE_TR_FUNCTIONS(Tr005Code)

public:
    enum class Fault
    {
        none,
        severalLines,      // more than one line (a line-end suffix is allowed)
        fieldCount,        // fewer than the five fixed fields
        version,           // not "D0"
        joinEui,           // not 16 hexadecimal digits
        devEui,            // not 16 hexadecimal digits
        profileId,         // not 8 hexadecimal digits
        emptyField,        // "::", a trailing ":" or a tag without a value
        repeatedExtension, // the same tag twice
        checksumFormat,    // not 4 hexadecimal digits, or not the last field
        checksumMismatch   // 4 digits that do not match the code
    };
    Q_ENUM(Fault)

    Fault fault = Fault::none;
    QString faultDetail; // what the fault text names: the field, the tag or the digits
    QString joinEui;     // as written in the code
    QString devEui;
    QString profileId;
    QString ownerToken;
    QString serialNumber;
    QString proprietary;
    QString checksum; // empty when the code has none

    bool isValid() const { return fault == Fault::none; }
    // The operator's explanation of what is wrong with the code.
    QString faultText() const;

    // true for text that is meant as such a code: it starts with "LW:".
    static bool isTr005(const QString& text);
    // Parses a scanned code; one CR, LF or CR LF at the end is the scanner's suffix.
    static Tr005Code parse(const QString& text);
    // The checksum of the characters before the checksum field (UTF-8 bytes).
    static quint16 crc16(const QByteArray& bytes);
};
