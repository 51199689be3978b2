#include "RegistrationRules.h"

#include "SimVocabulary.h"
#include "server/Protocol.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace RegistrationRules {

namespace {
namespace K = Protocol::Key;
namespace S = Protocol::Status;

constexpr double maxInt32 = std::numeric_limits<qint32>::max();

// Keys a stored device keeps besides its DevEUI and its keys.
const QStringList& plainSettingsKeys()
{
    static const QStringList keys{K::devName,  K::devClass, K::reactionTime, K::useDownlinkQueueClassC,
                                  K::freqRx2,  K::preferDr, K::preferPower,  K::rxWindow,
                                  K::delayRx1, K::drRx2,    K::delayJoin1,   K::serverAdrEnable};
    return keys;
}
const QStringList& nestedSettingsKeys()
{
    static const QStringList keys{K::frequencyPlan, K::channelMask, K::position};
    return keys;
}

// "channel1En".."channel16En" and "freq4".."freq8", made once: every device is checked against them.
const QStringList& channelEnKeys()
{
    static const QStringList keys = [] {
        QStringList list;
        for (int channel = 1; channel <= channelCount; ++channel)
            list.append(K::channelEn(channel));
        return list;
    }();
    return keys;
}
const QStringList& freqKeys()
{
    static const QStringList keys{K::freq(4), K::freq(5), K::freq(6), K::freq(7), K::freq(8)};
    return keys;
}

// A present key whose value fails the check.
template <typename Check> bool presentAndFails(const QJsonObject& object, const QString& key, Check check)
{
    const auto it = object.constFind(key);
    return it != object.constEnd() && !check(it.value());
}

bool isNotClassB(const QJsonValue& value)
{
    return value.toString() != SimVocabulary::classB;
}

bool isServedClass(const QJsonValue& value)
{
    const QString deviceClass = value.toString();
    return deviceClass == Protocol::DeviceClass::classA || deviceClass == Protocol::DeviceClass::classC;
}

bool isString(const QJsonValue& value)
{
    return value.isString();
}

bool isBool(const QJsonValue& value)
{
    return value.isBool();
}

bool isDataRate(const QJsonValue& value)
{
    return isIntegral(value, minDataRate, maxDataRate);
}

bool isDelay(const QJsonValue& value)
{
    return isIntegral(value, minDelay, maxDelay);
}

bool validChannelMask(const QJsonValue& value)
{
    if (!value.isObject())
        return false;
    const QJsonObject mask = value.toObject();
    return std::all_of(channelEnKeys().begin(), channelEnKeys().end(),
                       [&mask](const QString& key) { return mask.value(key).isBool(); });
}

bool validFrequency(const QJsonValue& value)
{
    return isIntegral(value, 0, maxInt32);
}

bool validFrequencyPlan(const QJsonValue& value)
{
    if (!value.isObject())
        return false;
    const QJsonObject plan = value.toObject();
    return std::none_of(freqKeys().begin(), freqKeys().end(),
                        [&plan](const QString& key) { return presentAndFails(plan, key, validFrequency); });
}

bool validPosition(const QJsonValue& value)
{
    if (!value.isObject())
        return false;
    const QJsonObject position = value.toObject();
    const auto degrees = [](double limit) {
        return [limit](const QJsonValue& v) {
            return v.isDouble() && std::isfinite(v.toDouble()) && std::abs(v.toDouble()) <= limit;
        };
    };
    return !presentAndFails(position, K::longitude, degrees(180.0)) &&
           !presentAndFails(position, K::latitude, degrees(90.0)) &&
           !presentAndFails(position, K::altitude,
                            [](const QJsonValue& v) { return isIntegral(v, -maxInt32, maxInt32); });
}

struct SettingRule
{
    const QString& key;
    bool (*accepts)(const QJsonValue&);
    const QString& status;
};

// The checks of the settings keys, in the order they are applied: the first refusal decides.
const std::vector<SettingRule>& settingRules()
{
    static const std::vector<SettingRule> rules{
        {K::devClass, isNotClassB, S::unsupportClass},
        {K::devClass, isServedClass, S::invalidClass},
        {K::preferPower, [](const QJsonValue& v) { return isIntegral(v, minPower, maxPower); },
         S::invalidPower},
        {K::preferDr, isDataRate, S::invalidDataRate},
        {K::drRx2, isDataRate, S::invalidDataRate},
        {K::rxWindow, [](const QJsonValue& v) { return isIntegral(v, 1, 2); }, S::invalidRxWindow},
        {K::delayRx1, isDelay, S::invalidDelay},
        {K::delayJoin1, isDelay, S::invalidDelay},
        {K::reactionTime, [](const QJsonValue& v) { return isIntegral(v, 0, maxInt32); }, S::invalidDelay},
        {K::channelMask, validChannelMask, S::invalidChannelMaskParamList},
        {K::frequencyPlan, validFrequencyPlan, S::invalidFrequencyPlan},
        {K::freqRx2, validFrequency, S::invalidFrequencyPlan},
        {K::devName, isString, SimVocabulary::Status::invalidParamValue},
        {K::serverAdrEnable, isBool, SimVocabulary::Status::invalidParamValue},
        {K::useDownlinkQueueClassC, isBool, SimVocabulary::Status::invalidParamValue},
        {K::position, validPosition, SimVocabulary::Status::invalidParamValue},
    };
    return rules;
}

QString readOtaa(const QJsonObject& device, Credentials& keys)
{
    const auto it = device.constFind(K::otaa);
    if (it == device.constEnd())
        return {};
    if (!it.value().isObject())
        return S::invalidOtaaParamList;
    const QJsonObject otaa = it.value().toObject();
    const QJsonValue appEui = otaa.value(K::appEui);
    const QJsonValue appKey = otaa.value(K::appKey);
    const auto blank = [](const QJsonValue& v) {
        return v.isUndefined() || v.toString(QStringLiteral("x")).isEmpty();
    };
    if (blank(appEui) && blank(appKey))
        return {};
    if (blank(appEui) || blank(appKey) || !appEui.isString() || !appKey.isString() ||
        !isHex(appEui.toString(), euiDigits))
        return S::invalidOtaaParamList;
    if (!isHex(appKey.toString(), keyDigits))
        return S::invalidAppKeyValue;
    keys.hasOtaa = true;
    keys.appEui = appEui.toString().toUpper();
    keys.appKey = appKey.toString().toUpper();
    return {};
}

QString readAbp(const QJsonObject& device, Credentials& keys)
{
    const auto it = device.constFind(K::abp);
    if (it == device.constEnd())
        return {};
    if (!it.value().isObject())
        return S::invalidAbpParamList;
    const QJsonObject abp = it.value().toObject();
    if (abp.isEmpty())
        return {};
    if (!abp.contains(K::devAddress) || !abp.contains(K::appsKey) || !abp.contains(K::nwksKey))
        return S::invalidAbpParamList;
    const std::optional<quint32> devAddress = devAddressValue(abp.value(K::devAddress));
    if (!devAddress)
        return S::invalidDevAddrValue;
    const QString appsKey = abp.value(K::appsKey).toString();
    const QString nwksKey = abp.value(K::nwksKey).toString();
    if (!isHex(appsKey, keyDigits) || !isHex(nwksKey, keyDigits))
        return S::invalidSessionKeyValue;
    keys.hasAbp = true;
    keys.devAddress = *devAddress;
    keys.appsKey = appsKey.toUpper();
    keys.nwksKey = nwksKey.toUpper();
    return {};
}

QJsonObject withKeys(QJsonObject device, const Credentials& keys)
{
    if (keys.hasOtaa)
        device.insert(K::otaa, QJsonObject{{K::appEui, keys.appEui}, {K::appKey, keys.appKey}});
    if (keys.hasAbp) {
        device.insert(K::abp, QJsonObject{{K::devAddress, static_cast<double>(keys.devAddress)},
                                          {K::appsKey, keys.appsKey},
                                          {K::nwksKey, keys.nwksKey}});
    }
    return device;
}

// A new device: its settings as given (without empty nested objects, as mergeSettings keeps
// none), its DevEUI and its keys; the settings are shared, not copied key by key.
QJsonObject newDevice(const DeviceRequest& request)
{
    QJsonObject device = request.settings;
    for (const QString& key : nestedSettingsKeys()) {
        const auto it = device.find(key);
        if (it != device.end() && it.value().toObject().isEmpty())
            device.erase(it);
    }
    device.insert(K::devEui, request.devEui);
    return withKeys(device, request.keys);
}
} // namespace

bool isHex(const QString& text, int digits)
{
    if (text.size() != digits)
        return false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool hex = (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
        if (!hex)
            return false;
    }
    return true;
}

bool isIntegral(const QJsonValue& value, double min, double max)
{
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    return std::isfinite(number) && std::floor(number) == number && number >= min && number <= max;
}

std::optional<quint32> devAddressValue(const QJsonValue& value)
{
    // Checked before the cast: a double outside quint32 has no defined conversion.
    if (!isIntegral(value, minDevAddress, maxDevAddress))
        return std::nullopt;
    return static_cast<quint32>(value.toDouble());
}

bool isSettingsKey(const QString& key)
{
    return plainSettingsKeys().contains(key) || nestedSettingsKeys().contains(key);
}

QString readCredentials(const QJsonObject& device, Credentials& keys)
{
    keys = Credentials();
    QString status = readOtaa(device, keys);
    if (status.isEmpty())
        status = readAbp(device, keys);
    return status;
}

std::optional<SettingFault> findSettingFault(const QJsonObject& device)
{
    for (const SettingRule& rule : settingRules()) {
        if (presentAndFails(device, rule.key, rule.accepts))
            return SettingFault{rule.key, rule.status};
    }
    return std::nullopt;
}

QString checkSettings(const QJsonObject& device)
{
    const std::optional<SettingFault> fault = findSettingFault(device);
    return fault ? fault->status : QString();
}

QJsonObject settingsOf(const QJsonObject& device)
{
    // A copy without the identity and the keys is cheaper than building the object key by key;
    // only a device with unknown keys is looked through.
    QJsonObject settings = device;
    for (const QString& key : {K::devEui, K::otaa, K::abp})
        settings.remove(key);
    const int known =
        static_cast<int>(std::count_if(plainSettingsKeys().begin(), plainSettingsKeys().end(),
                                       [&](const QString& key) { return settings.contains(key); })) +
        static_cast<int>(std::count_if(nestedSettingsKeys().begin(), nestedSettingsKeys().end(),
                                       [&](const QString& key) { return settings.contains(key); }));
    for (auto it = settings.begin(); known < settings.size() && it != settings.end();)
        it = isSettingsKey(it.key()) ? it + 1 : settings.erase(it);
    return settings;
}

DeviceRequest readDeviceRequest(const QJsonValue& element)
{
    DeviceRequest request;
    const QJsonObject device = element.toObject();
    request.echoEui = device.value(K::devEui).toString();
    if (!element.isObject() || !isHex(request.echoEui, euiDigits)) {
        request.rejection = S::invalidDevEui;
        return request;
    }
    request.devEui = request.echoEui.toUpper();
    request.rejection = readCredentials(device, request.keys);
    if (request.rejection.isEmpty())
        request.rejection = checkSettings(device);
    if (request.rejection.isEmpty())
        request.settings = settingsOf(device);
    return request;
}

Credentials storedCredentials(const QJsonObject& stored)
{
    Credentials keys;
    const QJsonObject otaa = stored.value(K::otaa).toObject();
    if (!otaa.isEmpty()) {
        keys.hasOtaa = true;
        keys.appEui = otaa.value(K::appEui).toString().toUpper();
        keys.appKey = otaa.value(K::appKey).toString().toUpper();
    }
    const QJsonObject abp = stored.value(K::abp).toObject();
    if (!abp.isEmpty()) {
        keys.hasAbp = true;
        keys.devAddress = devAddressValue(abp.value(K::devAddress)).value_or(0);
        keys.appsKey = abp.value(K::appsKey).toString().toUpper();
        keys.nwksKey = abp.value(K::nwksKey).toString().toUpper();
    }
    return keys;
}

QJsonObject mergeSettings(const QJsonObject& stored, const QJsonObject& settings)
{
    QJsonObject merged = stored;
    for (auto it = settings.constBegin(); it != settings.constEnd(); ++it) {
        if (!nestedSettingsKeys().contains(it.key())) {
            merged.insert(it.key(), it.value());
            continue;
        }
        QJsonObject nested = stored.value(it.key()).toObject();
        const QJsonObject given = it.value().toObject();
        if (nested.isEmpty()) {
            nested = given; // shared, not copied key by key
        } else {
            for (auto inner = given.constBegin(); inner != given.constEnd(); ++inner)
                nested.insert(inner.key(), inner.value());
        }
        if (!nested.isEmpty())
            merged.insert(it.key(), nested);
    }
    return merged;
}

bool Decision::changesStore() const
{
    return status == S::added || status == S::updated;
}

Decision decide(const DeviceRequest& request, const StoreView& view)
{
    if (!request.rejection.isEmpty())
        return {request.rejection, {}};
    const Credentials& keys = request.keys;
    if (!view.stored) {
        if (!keys.any())
            return {S::noRegisterKeys, {}};
        if (keys.hasAbp && !view.devAddrOwner.isEmpty() && view.devAddrOwner != request.devEui)
            return {S::repetitionDevAddr, {}};
        if (view.maxDevices > 0 && view.deviceCount >= view.maxDevices)
            return {S::maxDevCountReached, {}};
        return {S::added, newDevice(request)};
    }

    const QJsonObject& stored = *view.stored;
    const Credentials known = storedCredentials(stored);
    if (keys.hasOtaa && (!known.hasOtaa || keys.appEui != known.appEui || keys.appKey != known.appKey))
        return {S::reginfoAlreadyExist, {}};
    if (keys.hasAbp && (!known.hasAbp || keys.devAddress != known.devAddress ||
                        keys.appsKey != known.appsKey || keys.nwksKey != known.nwksKey))
        return {S::abpReginfoAlreadyExist, {}};
    if (request.settings.isEmpty() && !keys.any())
        return {S::emptyDataForUpdate, {}};
    const QJsonObject merged = mergeSettings(stored, request.settings);
    if (merged == stored)
        return {S::nothingToUpdate, {}};
    return {S::updated, merged};
}

QString rulesHelpText()
{
    struct Rule
    {
        const char* condition; // lines after the first are indented by the caller
        QString status;
    };
    const Rule rules[] = {
        {"element not an object, or \"devEui\" not 16 hex digits", S::invalidDevEui},
        {"\"OTAA\" not an object, \"appEui\" or \"appKey\" missing or\n"
         "empty, or \"appEui\" not 16 hex digits (an \"OTAA\" with\n"
         "both empty counts as none)",
         S::invalidOtaaParamList},
        {"\"appKey\" not 32 hex digits", S::invalidAppKeyValue},
        {"\"ABP\" not an object, or a non-empty \"ABP\" without all\n"
         "of \"devAddress\", \"appsKey\", \"nwksKey\"",
         S::invalidAbpParamList},
        {"\"devAddress\" 0 or not a whole number up to 4294967295", S::invalidDevAddrValue},
        {"\"appsKey\" or \"nwksKey\" not 32 hex digits", S::invalidSessionKeyValue},
        {"\"class\" \"CLASS_B\"", S::unsupportClass},
        {"\"class\" other than \"CLASS_A\" and \"CLASS_C\"", S::invalidClass},
        {"\"preferPower\" not a whole number 2..14", S::invalidPower},
        {"\"preferDr\" or \"drRx2\" not a whole number 0..7", S::invalidDataRate},
        {"\"rxWindow\" not 1 or 2", S::invalidRxWindow},
        {"\"delayRx1\" or \"delayJoin1\" not a whole number 1..15,\n"
         "or \"reactionTime\" not a whole number >= 0",
         S::invalidDelay},
        {"\"channelMask\" not an object with all of \"channel1En\"\n"
         "to \"channel16En\" as true/false",
         S::invalidChannelMaskParamList},
        {"\"frequencyPlan\" not an object, or \"freq4\"..\"freq8\"\n"
         "or \"freqRx2\" not a whole number >= 0 (Hz)",
         S::invalidFrequencyPlan},
        {"\"devName\" not text, \"serverAdrEnable\" or\n"
         "\"useDownlinkQueueClassC\" not true/false, \"position\"\n"
         "not numbers (|longitude| <= 180, |latitude| <= 90)",
         SimVocabulary::Status::invalidParamValue},
        {"new device (DevEUI not held) without OTAA or ABP keys", S::noRegisterKeys},
        {"new device whose \"devAddress\" another device holds", S::repetitionDevAddr},
        {"new device when --max-devices is reached", S::maxDevCountReached},
        {"new device otherwise: it is kept", S::added},
        {"known device, OTAA keys that differ from the kept ones\n"
         "(or it has none)",
         S::reginfoAlreadyExist},
        {"known device, ABP keys that differ from the kept ones\n"
         "(or it has none)",
         S::abpReginfoAlreadyExist},
        {"known device, nothing given but \"devEui\"", S::emptyDataForUpdate},
        {"known device, same keys and the same settings as kept", S::nothingToUpdate},
        {"known device otherwise: given settings replace kept ones", S::updated},
        {"database write failed: nothing of the request is kept", SimVocabulary::Status::storageError},
    };
    constexpr int statusColumn = 66;
    QString text =
        QStringLiteral("Registration rules (\"manage_devices_req\"): every element of \"devices_list\"\n"
                       "gets one status in \"device_add_status\" (with its \"devEui\" as sent); the\n"
                       "first rule that applies decides. Hex digits may be in either case; the server\n"
                       "keeps them in upper case. Settings absent from a request keep their values.\n");
    int number = 1;
    for (const Rule& rule : rules) {
        const QStringList lines = QString::fromLatin1(rule.condition).split(QLatin1Char('\n'));
        for (int i = 0; i < lines.size(); ++i) {
            QString line =
                (i == 0 ? QStringLiteral("%1. ").arg(number++, 4) : QString(6, QLatin1Char(' '))) + lines[i];
            if (i == lines.size() - 1)
                line = (line + QLatin1Char(' ')).leftJustified(statusColumn - 1, QLatin1Char('.')) +
                       QLatin1Char(' ') + rule.status;
            text += line + QLatin1Char('\n');
        }
    }
    return text;
}

} // namespace RegistrationRules
