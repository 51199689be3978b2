#include "server/ManageDevicesText.h"

#include "server/DeviceKeyRules.h"
#include "server/Protocol.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// ---- values as Qt's compact JSON writer writes them ------------------------------------------

char hexDigit(uint value)
{
    return char(value < 10 ? '0' + value : 'a' + value - 10);
}

void appendEscape(QString& out, ushort code)
{
    const QChar escape[6] = {QLatin1Char('\\'),
                             QLatin1Char('u'),
                             QLatin1Char(hexDigit((code >> 12) & 0xf)),
                             QLatin1Char(hexDigit((code >> 8) & 0xf)),
                             QLatin1Char(hexDigit((code >> 4) & 0xf)),
                             QLatin1Char(hexDigit(code & 0xf))};
    out.append(escape, 6);
}

// A string in quotes: '"', '\\' and control characters escaped (\b \f \n \r \t by name), a
// surrogate without its partner as \uXXXX, everything else as it is.
void appendString(QString& out, const QString& text)
{
    out.append(QLatin1Char('"'));
    const QChar* begin = text.constData();
    const QChar* const end = begin + text.size();
    const QChar* plain = begin; // start of the run that needs no escape
    for (const QChar* c = begin; c != end; ++c) {
        const ushort u = c->unicode();
        if (u >= 0x20 && u != '"' && u != '\\' && (u < 0xd800 || u > 0xdfff))
            continue;
        if (QChar::isHighSurrogate(u) && c + 1 != end && (c + 1)->isLowSurrogate()) {
            ++c;
            continue;
        }
        out.append(plain, int(c - plain));
        plain = c + 1;
        switch (u) {
        case '"':
            out.append(QLatin1String("\\\""));
            break;
        case '\\':
            out.append(QLatin1String("\\\\"));
            break;
        case 0x8:
            out.append(QLatin1String("\\b"));
            break;
        case 0xc:
            out.append(QLatin1String("\\f"));
            break;
        case 0xa:
            out.append(QLatin1String("\\n"));
            break;
        case 0xd:
            out.append(QLatin1String("\\r"));
            break;
        case 0x9:
            out.append(QLatin1String("\\t"));
            break;
        default:
            appendEscape(out, u);
        }
    }
    out.append(plain, int(end - plain));
    out.append(QLatin1Char('"'));
}

void appendInteger(QString& out, qint64 value)
{
    char digits[24];
    char* p = digits + sizeof digits;
    quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    do {
        *--p = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0)
        *--p = '-';
    out.append(QLatin1String(p, int(digits + sizeof digits - p)));
}

// A double as a JSON value: Qt keeps a whole number that fits 64 bits as an integer, writes
// whole numbers below 2^64 in full and everything else in the shortest 'g' form; no number
// (infinite, NaN) is null.
void appendDouble(QString& out, double value)
{
    if (!std::isfinite(value)) {
        out.append(QLatin1String("null"));
        return;
    }
    constexpr double two63 = 9223372036854775808.0;
    if (value >= -two63 && value < two63 && value == std::trunc(value))
        value = double(qint64(value)); // also turns -0 into 0
    const double magnitude = std::abs(value);
    const bool whole = magnitude == std::trunc(magnitude) && magnitude < 18446744073709551616.0;
    out.append(QLatin1String(QByteArray::number(value, whole ? 'f' : 'g', QLocale::FloatingPointShortest)));
}

void appendBool(QString& out, bool value)
{
    out.append(value ? QLatin1String("true") : QLatin1String("false"));
}

// Writes the members of one object: the caller gives them in Qt's key order.
class ObjectWriter
{
public:
    explicit ObjectWriter(QString& out) : m_out(out) { m_out.append(QLatin1Char('{')); }
    ~ObjectWriter() { m_out.append(QLatin1Char('}')); }
    QString& key(const QString& name)
    {
        if (!m_first)
            m_out.append(QLatin1Char(','));
        m_first = false;
        appendString(m_out, name);
        m_out.append(QLatin1Char(':'));
        return m_out;
    }

private:
    QString& m_out;
    bool m_first = true;
};

// ---- the device object -----------------------------------------------------------------------

// Every key a device object may hold at its top level.
enum class DeviceKey
{
    devEui,
    devName,
    devClass,
    reactionTime,
    useDownlinkQueueClassC,
    frequencyPlan,
    freqRx2,
    channelMask,
    preferDr,
    preferPower,
    rxWindow,
    delayRx1,
    drRx2,
    delayJoin1,
    position,
    abp,
    otaa,
    serverAdrEnable,
    count
};

const QString& deviceKeyName(DeviceKey key)
{
    namespace K = Protocol::Key;
    static const QString* const names[] = {
        &K::devEui,        &K::devName,  &K::devClass,       &K::reactionTime, &K::useDownlinkQueueClassC,
        &K::frequencyPlan, &K::freqRx2,  &K::channelMask,    &K::preferDr,     &K::preferPower,
        &K::rxWindow,      &K::delayRx1, &K::drRx2,          &K::delayJoin1,   &K::position,
        &K::abp,           &K::otaa,     &K::serverAdrEnable};
    return *names[int(key)];
}

// Qt writes an object's keys sorted; the order of each key set is worked out once.
template <typename Key> std::vector<Key> sortedKeys(int count, const QString& (*nameOf)(Key))
{
    std::vector<Key> keys;
    for (int i = 0; i < count; ++i)
        keys.push_back(Key(i));
    std::sort(keys.begin(), keys.end(), [nameOf](Key a, Key b) { return nameOf(a) < nameOf(b); });
    return keys;
}

const std::vector<DeviceKey>& deviceKeyOrder()
{
    static const std::vector<DeviceKey> order = sortedKeys<DeviceKey>(int(DeviceKey::count), &deviceKeyName);
    return order;
}

const std::vector<int>& channelOrder() // channel numbers 1..16 in key order
{
    static const std::vector<int> order = [] {
        std::vector<int> channels;
        for (int i = 1; i <= 16; ++i)
            channels.push_back(i);
        std::sort(channels.begin(), channels.end(),
                  [](int a, int b) { return Protocol::Key::channelEn(a) < Protocol::Key::channelEn(b); });
        return channels;
    }();
    return order;
}

const std::vector<QString>& channelKeys()
{
    static const std::vector<QString> keys = [] {
        std::vector<QString> all;
        for (int i = 0; i <= 16; ++i)
            all.push_back(i == 0 ? QString() : Protocol::Key::channelEn(i));
        return all;
    }();
    return keys;
}

const std::vector<QString>& freqKeys()
{
    static const std::vector<QString> keys = [] {
        std::vector<QString> all;
        for (int i = 0; i <= 8; ++i)
            all.push_back(i < 4 ? QString() : Protocol::Key::freq(i));
        return all;
    }();
    return keys;
}

// Three-key sub-objects whose order Qt's sorting gives: checked against the key names once.
template <size_t N> std::array<int, N> orderOf(const std::array<const QString*, N>& names)
{
    std::array<int, N> order;
    for (size_t i = 0; i < N; ++i)
        order[i] = int(i);
    std::sort(order.begin(), order.end(),
              [&names](int a, int b) { return *names[size_t(a)] < *names[size_t(b)]; });
    return order;
}

void appendPlan(QString& out, const LoRaDevice& d)
{
    ObjectWriter plan(out); // freq4 .. freq8 are in key order already
    for (int channel = 4; channel <= 8; ++channel) {
        if (DeviceKeyRules::isChosenNumber(d.freq(channel)))
            appendInteger(plan.key(freqKeys()[size_t(channel)]), d.freq(channel));
    }
}

bool hasPlan(const LoRaDevice& d)
{
    for (int channel = 4; channel <= 8; ++channel) {
        if (DeviceKeyRules::isChosenNumber(d.freq(channel)))
            return true;
    }
    return false;
}

void appendMask(QString& out, const LoRaDevice& d)
{
    ObjectWriter mask(out);
    for (int channel : channelOrder())
        appendBool(mask.key(channelKeys()[size_t(channel)]), d.channelEn[size_t(channel - 1)]);
}

bool hasPosition(const LoRaDevice& d)
{
    return DeviceKeyRules::isChosenCoordinate(d.longitude) ||
           DeviceKeyRules::isChosenCoordinate(d.latitude) || DeviceKeyRules::isNotMinusOne(d.altitude);
}

void appendPosition(QString& out, const LoRaDevice& d)
{
    namespace K = Protocol::Key;
    static const auto order = orderOf<3>({&K::longitude, &K::latitude, &K::altitude});
    ObjectWriter position(out);
    for (int member : order) {
        if (member == 0 && DeviceKeyRules::isChosenCoordinate(d.longitude))
            appendDouble(position.key(K::longitude), d.longitude);
        else if (member == 1 && DeviceKeyRules::isChosenCoordinate(d.latitude))
            appendDouble(position.key(K::latitude), d.latitude);
        else if (member == 2 && DeviceKeyRules::isNotMinusOne(d.altitude))
            appendInteger(position.key(K::altitude), d.altitude);
    }
}

bool hasAbp(const LoRaDevice& d)
{
    return DeviceKeyRules::isAssignedAddress(d.devAddress) || !d.appsKey.isEmpty() || !d.nwksKey.isEmpty();
}

void appendAbp(QString& out, const LoRaDevice& d)
{
    namespace K = Protocol::Key;
    static const auto order = orderOf<3>({&K::devAddress, &K::appsKey, &K::nwksKey});
    ObjectWriter abp(out);
    for (int member : order) {
        if (member == 0 && DeviceKeyRules::isAssignedAddress(d.devAddress))
            appendInteger(abp.key(K::devAddress), qint64(d.devAddress));
        else if (member == 1 && !d.appsKey.isEmpty())
            appendString(abp.key(K::appsKey), d.appsKey);
        else if (member == 2 && !d.nwksKey.isEmpty())
            appendString(abp.key(K::nwksKey), d.nwksKey);
    }
}

void appendOtaa(QString& out, const LoRaDevice& d)
{
    namespace K = Protocol::Key;
    static const auto order = orderOf<2>({&K::appEui, &K::appKey});
    ObjectWriter otaa(out);
    for (int member : order) {
        if (member == 0)
            appendString(otaa.key(K::appEui), d.appEui);
        else
            appendString(otaa.key(K::appKey), d.appKey);
    }
}

} // namespace

void ManageDevicesText::appendDevice(QString& out, const LoRaDevice& d)
{
    using namespace DeviceKeyRules;
    const Groups groups = groupsOf(d);
    ObjectWriter device(out);
    for (DeviceKey key : deviceKeyOrder()) {
        const QString& name = deviceKeyName(key);
        switch (key) {
        case DeviceKey::devEui:
            appendString(device.key(name), d.devEui);
            break;
        case DeviceKey::devName:
            if (!d.devName.isEmpty() || groups.neither)
                appendString(device.key(name), d.devName);
            break;
        case DeviceKey::devClass:
            if (!d.devClass.isEmpty())
                appendString(device.key(name), d.devClass);
            break;
        case DeviceKey::reactionTime:
            if (groups.classCAndMask && isChosenNumber(d.reactionTime))
                appendInteger(device.key(name), d.reactionTime);
            break;
        case DeviceKey::useDownlinkQueueClassC:
            if (groups.classCAndMask && isGateOpen(d.classCGate))
                appendBool(device.key(name), d.useDownlinkQueueClassC);
            break;
        case DeviceKey::frequencyPlan:
            if (groups.neither || hasPlan(d))
                appendPlan(device.key(name), d);
            break;
        case DeviceKey::freqRx2:
            if (isChosenNumber(d.freqRx2))
                appendInteger(device.key(name), d.freqRx2);
            break;
        case DeviceKey::channelMask:
            if (groups.classCAndMask)
                appendMask(device.key(name), d);
            break;
        case DeviceKey::preferDr:
            if (isChosenNumber(d.preferDr))
                appendInteger(device.key(name), d.preferDr);
            break;
        case DeviceKey::preferPower:
            if (isChosenNumber(d.preferPower))
                appendInteger(device.key(name), d.preferPower);
            break;
        case DeviceKey::rxWindow:
            if (isNotMinusOne(d.rxWindow))
                appendInteger(device.key(name), d.rxWindow);
            break;
        case DeviceKey::delayRx1:
            if (isNotMinusOne(d.delayRx1))
                appendInteger(device.key(name), d.delayRx1);
            break;
        case DeviceKey::drRx2:
            if (isNotMinusOne(d.drRx2))
                appendInteger(device.key(name), d.drRx2);
            break;
        case DeviceKey::delayJoin1:
            if (isNotMinusOne(d.delayJoin1))
                appendInteger(device.key(name), d.delayJoin1);
            break;
        case DeviceKey::position:
            if (hasPosition(d))
                appendPosition(device.key(name), d);
            break;
        case DeviceKey::abp:
            if (groups.abp && hasAbp(d))
                appendAbp(device.key(name), d);
            break;
        case DeviceKey::otaa:
            if (groups.otaa)
                appendOtaa(device.key(name), d);
            break;
        case DeviceKey::serverAdrEnable:
            appendBool(device.key(name), d.serverAdrEnable);
            break;
        case DeviceKey::count:
            break;
        }
    }
}

QString ManageDevicesText::request(const QVector<LoRaDevice>& devices, int first, int count)
{
    first = qBound(0, first, devices.size());
    const int end = count < 0 ? devices.size() : qMin(devices.size(), first + count);
    QString out;
    out.reserve(64 + (end - first) * 720);
    {
        // "cmd" sorts before "devices_list".
        ObjectWriter request(out);
        appendString(request.key(Protocol::Key::cmd), Protocol::Cmd::manageDevicesReq);
        if (end > first) {
            QString& list = request.key(Protocol::Key::devicesList);
            list.append(QLatin1Char('['));
            for (int i = first; i < end; ++i) {
                if (i > first)
                    list.append(QLatin1Char(','));
                appendDevice(list, devices.at(i));
            }
            list.append(QLatin1Char(']'));
        }
    }
    return out;
}
