#include "intake/ScanDecoder.h"

#include "foundation/DebugLog.h"
#include "intake/Tr005Code.h"
#include "server/Protocol.h"

#include <QStringList>

#include <array>

namespace {

const QChar lineFeed(0x0A);
const QChar carriageReturn(0x0D);

enum class Field
{
    devEui,
    appEui,
    appKey,
    devAddr,
    appSKey,
    nwkSKey
};

struct LabelKey
{
    QString lowerName;
    Field field;
};

// Tested in this order on every line; a key matches anywhere in the line, in any letter case.
const std::array<LabelKey, 6>& labelKeys()
{
    static const std::array<LabelKey, 6> keys{{{Protocol::LabelKey::devEui.toLower(), Field::devEui},
                                               {Protocol::LabelKey::appEui.toLower(), Field::appEui},
                                               {Protocol::LabelKey::appKey.toLower(), Field::appKey},
                                               {Protocol::LabelKey::devAddr.toLower(), Field::devAddr},
                                               {Protocol::LabelKey::appSKey.toLower(), Field::appSKey},
                                               {Protocol::LabelKey::nwkSKey.toLower(), Field::nwkSKey}}};
    return keys;
}

void storeField(LoRaDevice& device, Field field, const QString& value)
{
    switch (field) {
    case Field::devEui:
        device.devEui = value.toUpper();
        break;
    case Field::appEui:
        device.appEui = value.toUpper();
        break;
    case Field::appKey:
        device.appKey = value.toUpper();
        break;
    case Field::devAddr:
        device.devAddress = ScanDecoder::devAddrValue(value);
        break;
    case Field::appSKey:
        device.appsKey = value.toUpper();
        break;
    case Field::nwkSKey:
        device.nwksKey = value.toUpper();
        break;
    }
}

bool namesCredentialKey(const QString& line)
{
    const QString lowerLine = line.toLower();
    for (const LabelKey& key : labelKeys()) {
        if (lowerLine.contains(key.lowerName))
            return true;
    }
    return false;
}

// A barcode that the scanner ends with LF or CR LF: one line, the line feed only at the very end,
// and nothing in it that a key/value label would hold.
bool isSuffixedBarcode(const QString& text)
{
    if (text.indexOf(lineFeed) != text.size() - 1)
        return false;
    QString line = text.left(text.size() - 1);
    line.remove(carriageReturn);
    return !line.isEmpty() && !namesCredentialKey(line);
}

QString barcodeValue(QString text)
{
    text.remove(lineFeed);
    text.remove(carriageReturn);
    return text;
}

ScanResult fromTr005(const QString& text)
{
    ScanResult result;
    const Tr005Code code = Tr005Code::parse(text);
    if (!code.isValid()) {
        result.kind = ScanResult::Kind::unreadable;
        result.unreadableReason = code.faultText();
        return result;
    }
    result.kind = ScanResult::Kind::device;
    result.device.devEui = code.devEui.toUpper();
    result.device.appEui = code.joinEui.toUpper();
    result.device.sn = code.serialNumber;
    return result;
}

} // namespace

QString ScanDecoder::scanText(const QByteArray& scan)
{
    const int nul = scan.indexOf('\0');
    return QString::fromUtf8(nul < 0 ? scan : scan.left(nul));
}

QString ScanDecoder::lineValue(const QString& line)
{
    const QStringList byEquals = line.split(QLatin1Char('='), Qt::KeepEmptyParts);
    if (byEquals.size() == 2)
        return byEquals.at(1);
    const QStringList byBlanks = line.split(QLatin1Char(' '), Qt::KeepEmptyParts);
    if (byBlanks.size() >= 2)
        return byBlanks.at(1);
    return QString();
}

quint32 ScanDecoder::devAddrValue(const QString& value)
{
    bool ok = false;
    const uint number = value.toUInt(&ok, 16);
    return ok ? quint32(number) : 0;
}

ScanResult ScanDecoder::decode(const QByteArray& scan)
{
    const QString text = scanText(scan);
    if (Tr005Code::isTr005(text))
        return fromTr005(text);

    ScanResult result;
    if (!text.contains(lineFeed) || isSuffixedBarcode(text)) {
        result.kind = ScanResult::Kind::serialNumber;
        result.serialNumber = barcodeValue(text);
        return result;
    }

    result.kind = ScanResult::Kind::device;
    const QStringList lines = text.split(lineFeed, Qt::KeepEmptyParts);
    for (QString line : lines) {
        // Labels written with CR LF line ends: the CR belongs to the line end, not to the value.
        if (line.endsWith(carriageReturn))
            line.chop(1);
        DEBUG_LOG << DebugLog::brief(line);
        if (line.isEmpty())
            continue;
        if (!line.contains(QLatin1Char('=')) && !line.contains(QLatin1Char(' ')))
            continue;
        const QString lowerLine = line.toLower();
        for (const LabelKey& key : labelKeys()) {
            if (lowerLine.contains(key.lowerName))
                storeField(result.device, key.field, lineValue(line));
        }
    }
    return result;
}
