#include "StoredDeviceCheck.h"

#include "RegistrationRules.h"
#include "server/JsonText.h"
#include "server/Protocol.h"

namespace StoredDeviceCheck {

namespace {
namespace K = Protocol::Key;
namespace R = RegistrationRules;

constexpr int maxShownChars = 40;

QString quoted(const QString& key)
{
    return QLatin1Char('"') + key + QLatin1Char('"');
}

// `field` with its value (or "missing") and what was expected of it.
QString fault(const QString& field, const QJsonValue& value, const QString& expected)
{
    return QStringLiteral("%1 %2: %3")
        .arg(field, value.isUndefined() ? QStringLiteral("missing") : shown(value), expected);
}

QString hexFault(const QJsonObject& section, const QString& sectionName, const QString& key, int digits)
{
    const QJsonValue value = section.value(key);
    if (value.isString() && isUpperHex(value.toString(), digits))
        return {};
    return fault(quoted(sectionName) + QLatin1Char('.') + quoted(key), value,
                 QStringLiteral("not %1 upper-case hex digits").arg(digits));
}

// A key section holds exactly the given fields.
QString sectionShapeFault(const QJsonObject& device, const QString& name, int fields)
{
    const QJsonValue section = device.value(name);
    if (!section.isObject())
        return fault(quoted(name), section, QStringLiteral("not an object"));
    if (section.toObject().size() != fields)
        return fault(quoted(name), section, QStringLiteral("not exactly %1 fields").arg(fields));
    return {};
}

QString otaaFault(const QJsonObject& device)
{
    if (!device.contains(K::otaa))
        return {};
    QString problem = sectionShapeFault(device, K::otaa, 2);
    const QJsonObject otaa = device.value(K::otaa).toObject();
    if (problem.isEmpty())
        problem = hexFault(otaa, K::otaa, K::appEui, R::euiDigits);
    if (problem.isEmpty())
        problem = hexFault(otaa, K::otaa, K::appKey, R::keyDigits);
    return problem;
}

QString abpFault(const QJsonObject& device)
{
    if (!device.contains(K::abp))
        return {};
    QString problem = sectionShapeFault(device, K::abp, 3);
    if (!problem.isEmpty())
        return problem;
    const QJsonObject abp = device.value(K::abp).toObject();
    const QJsonValue devAddress = abp.value(K::devAddress);
    if (!R::devAddressValue(devAddress)) {
        return fault(quoted(K::abp) + QLatin1Char('.') + quoted(K::devAddress), devAddress,
                     QStringLiteral("not a whole number %1..%2")
                         .arg(R::minDevAddress, 0, 'f', 0)
                         .arg(R::maxDevAddress, 0, 'f', 0));
    }
    problem = hexFault(abp, K::abp, K::appsKey, R::keyDigits);
    if (problem.isEmpty())
        problem = hexFault(abp, K::abp, K::nwksKey, R::keyDigits);
    return problem;
}

QString unknownKeyFault(const QJsonObject& device)
{
    for (auto it = device.constBegin(); it != device.constEnd(); ++it) {
        const QString& key = it.key();
        if (key != K::devEui && key != K::otaa && key != K::abp && !R::isSettingsKey(key))
            return QStringLiteral("unknown key %1").arg(shown(key));
    }
    return {};
}

QString keysFault(const QJsonObject& device)
{
    // Only a device with keys is ever added, and an update keeps them.
    if (!device.contains(K::otaa) && !device.contains(K::abp))
        return QStringLiteral("neither OTAA nor ABP keys");
    return {};
}

QString settingsFault(const QJsonObject& device)
{
    const auto setting = R::findSettingFault(device);
    if (!setting)
        return {};
    return fault(quoted(setting->key), device.value(setting->key),
                 QStringLiteral("refused by the registration rules (%1)").arg(setting->status));
}
} // namespace

bool isUpperHex(const QString& text, int digits)
{
    return R::isHex(text, digits) && text == text.toUpper();
}

QString shown(const QJsonValue& value)
{
    // Written as one array element, so that numbers and texts read as Qt writes them.
    QString text = compactJsonArrayText(QJsonArray{value});
    text = text.mid(1, text.size() - 2);
    if (text.size() > maxShownChars)
        text = text.left(maxShownChars) + QStringLiteral("…");
    return text;
}

QString problem(const QString& devEui, const QJsonObject& device)
{
    const QJsonValue ownEui = device.value(K::devEui);
    if (!ownEui.isString() || ownEui.toString() != devEui)
        return fault(quoted(K::devEui), ownEui, QStringLiteral("not the DevEUI of its row"));
    using Check = QString (*)(const QJsonObject&);
    for (const Check check : {unknownKeyFault, keysFault, otaaFault, abpFault, settingsFault}) {
        const QString problem = check(device);
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

} // namespace StoredDeviceCheck
