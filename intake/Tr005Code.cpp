#include "intake/Tr005Code.h"

#include <QStringList>

namespace {

const QString prefix = QStringLiteral("LW:");
const QString versionD0 = QStringLiteral("D0");
const QChar separator(QLatin1Char(':'));
constexpr int fixedFieldCount = 5; // LW, D0, JoinEUI, DevEUI, ProfileID
constexpr int euiDigits = 16;
constexpr int profileIdDigits = 8;
constexpr int checksumDigits = 4;

bool isHex(const QString& text, int digits)
{
    if (text.size() != digits)
        return false;
    for (const QChar c : text) {
        const char l = c.toLatin1();
        if (!((l >= '0' && l <= '9') || (l >= 'a' && l <= 'f') || (l >= 'A' && l <= 'F')))
            return false;
    }
    return true;
}

// The scanner's line-end suffix: one CR, LF or CR LF.
QString withoutSuffix(const QString& text)
{
    if (text.endsWith(QStringLiteral("\r\n")))
        return text.left(text.size() - 2);
    if (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        return text.left(text.size() - 1);
    return text;
}

Tr005Code failed(Tr005Code::Fault fault, const QString& detail = QString())
{
    Tr005Code code;
    code.fault = fault;
    code.faultDetail = detail;
    return code;
}

} // namespace

bool Tr005Code::isTr005(const QString& text)
{
    return text.startsWith(prefix);
}

quint16 Tr005Code::crc16(const QByteArray& bytes)
{
    quint16 crc = 0xFFFF;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    return crc;
}

Tr005Code Tr005Code::parse(const QString& scanned)
{
    const QString text = withoutSuffix(scanned);
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        return failed(Fault::severalLines);

    const QStringList fields = text.split(separator, Qt::KeepEmptyParts);
    if (fields.size() < fixedFieldCount)
        return failed(Fault::fieldCount, QString::number(fields.size()));
    if (fields.at(1) != versionD0)
        return failed(Fault::version, fields.at(1));
    if (!isHex(fields.at(2), euiDigits))
        return failed(Fault::joinEui, fields.at(2));
    if (!isHex(fields.at(3), euiDigits))
        return failed(Fault::devEui, fields.at(3));
    if (!isHex(fields.at(4), profileIdDigits))
        return failed(Fault::profileId, fields.at(4));

    Tr005Code code;
    code.joinEui = fields.at(2);
    code.devEui = fields.at(3);
    code.profileId = fields.at(4);
    QString seenTags;
    for (int index = fixedFieldCount; index < fields.size(); ++index) {
        const QString& field = fields.at(index);
        if (field.size() < 2)
            return failed(Fault::emptyField, field);
        const QChar tag = field.at(0);
        const QString value = field.mid(1);
        if (seenTags.contains(tag))
            return failed(Fault::repeatedExtension, QString(tag));
        seenTags += tag;
        switch (tag.toLatin1()) {
        case 'O':
            code.ownerToken = value;
            break;
        case 'S':
            code.serialNumber = value;
            break;
        case 'P':
            code.proprietary = value;
            break;
        case 'C':
            if (index != fields.size() - 1 || !isHex(value, checksumDigits))
                return failed(Fault::checksumFormat, value);
            code.checksum = value;
            break;
        default:
            break; // an extension this program does not use
        }
    }

    if (!code.checksum.isEmpty()) {
        // Everything before ":C": the checksum covers the code up to the last field's separator.
        const int covered = text.size() - code.checksum.size() - 2;
        const quint16 expected = crc16(text.left(covered).toUtf8());
        const QString expectedDigits =
            QStringLiteral("%1").arg(expected, checksumDigits, 16, QLatin1Char('0')).toUpper();
        if (expectedDigits != code.checksum.toUpper())
            return failed(Fault::checksumMismatch, code.checksum);
    }
    return code;
}

QString Tr005Code::faultText() const
{
    switch (fault) {
    case Fault::none:
        return QString();
    case Fault::severalLines:
        return tr("Код LoRaWAN (LW:) должен быть одной строкой");
    case Fault::fieldCount:
        return tr("В коде LoRaWAN (LW:) не хватает полей: %1 вместо не менее 5").arg(faultDetail);
    case Fault::version:
        return tr("Неизвестная версия кода LoRaWAN: «%1» (ожидается D0)").arg(faultDetail);
    case Fault::joinEui:
        return tr("JoinEUI в коде LoRaWAN должен состоять из 16 шестнадцатеричных цифр: «%1»")
            .arg(faultDetail);
    case Fault::devEui:
        return tr("DevEUI в коде LoRaWAN должен состоять из 16 шестнадцатеричных цифр: «%1»")
            .arg(faultDetail);
    case Fault::profileId:
        return tr("ProfileID в коде LoRaWAN должен состоять из 8 шестнадцатеричных цифр: «%1»")
            .arg(faultDetail);
    case Fault::emptyField:
        return tr("В коде LoRaWAN есть пустое поле");
    case Fault::repeatedExtension:
        return tr("Поле %1 повторяется в коде LoRaWAN").arg(faultDetail);
    case Fault::checksumFormat:
        return tr("Контрольная сумма кода LoRaWAN должна быть последним полем из 4 шестнадцатеричных цифр: "
                  "«%1»")
            .arg(faultDetail);
    case Fault::checksumMismatch:
        return tr("Контрольная сумма кода LoRaWAN не совпадает: «%1» — код считан с ошибкой")
            .arg(faultDetail);
    }
    return QString();
}
