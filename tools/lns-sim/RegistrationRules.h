#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

// The rules by which the simulated network server accepts, updates or refuses one device
// object of a "manage_devices_req". Pure functions: the caller looks the device up in its
// store and hands the findings in, so the rules can be tried without a server.
namespace RegistrationRules {

// Accepted ranges of the radio settings.
constexpr int minPower = 2;
constexpr int maxPower = 14;
constexpr int minDataRate = 0;
constexpr int maxDataRate = 7;
constexpr int minDelay = 1;
constexpr int maxDelay = 15;
constexpr int channelCount = 16;
// Shapes of the identifiers and keys (hex digits) and the DevAddr range of an ABP device.
constexpr int euiDigits = 16;
constexpr int keyDigits = 32;
constexpr double minDevAddress = 1;
constexpr double maxDevAddress = 4294967295.0;

// True when text is exactly `digits` hexadecimal digits (either case).
bool isHex(const QString& text, int digits);
// True when value is a JSON number without a fraction, within [min, max].
bool isIntegral(const QJsonValue& value, double min, double max);
// The DevAddr a JSON value holds, or nullopt when it is no whole number in the DevAddr range.
std::optional<quint32> devAddressValue(const QJsonValue& value);
// True for the keys of a device object that settingsOf keeps.
bool isSettingsKey(const QString& key);

struct Credentials
{
    bool hasOtaa = false;
    QString appEui; // upper case
    QString appKey; // upper case
    bool hasAbp = false;
    quint32 devAddress = 0;
    QString appsKey; // upper case
    QString nwksKey; // upper case

    bool any() const { return hasOtaa || hasAbp; }
};

// One element of "devices_list" as read and checked on its own, before the store is asked.
struct DeviceRequest
{
    QString echoEui;   // "devEui" exactly as the client sent it, for the answer ("" if none)
    QString devEui;    // upper case, valid when rejection is empty
    QString rejection; // status word when the element is refused by its own content
    Credentials keys;
    QJsonObject settings; // the settings keys the element carries, all checked
};

DeviceRequest readDeviceRequest(const QJsonValue& element);

// Checks the "OTAA" and "ABP" sections; returns the status word of the first fault or "".
// An "OTAA" section whose two fields are both empty or absent counts as no OTAA section (the
// program sends one so for devices without keys), and so does an empty "ABP" object.
QString readCredentials(const QJsonObject& device, Credentials& keys);
// A settings key whose value the rules refuse, and the status word of that refusal.
struct SettingFault
{
    QString key;
    QString status;
};
// The first refused settings key of a device object, in the order the rules are applied.
std::optional<SettingFault> findSettingFault(const QJsonObject& device);
// The status word of that fault, or "".
QString checkSettings(const QJsonObject& device);
// The settings keys of a device object (every key but "devEui", "OTAA" and "ABP" that the
// server keeps); unknown keys are left out.
QJsonObject settingsOf(const QJsonObject& device);
// Keys of a device object as the store holds it.
Credentials storedCredentials(const QJsonObject& stored);
// The stored settings with the given ones laid over them; the nested "frequencyPlan",
// "channelMask" and "position" objects are merged key by key, and empty ones are not kept.
QJsonObject mergeSettings(const QJsonObject& stored, const QJsonObject& settings);

// What the store knows that matters for one device.
struct StoreView
{
    std::optional<QJsonObject> stored; // the device kept under the same DevEUI
    QString devAddrOwner;              // DevEUI of the device holding the requested DevAddr
    int deviceCount = 0;
    int maxDevices = 0; // 0 = no limit
};

struct Decision
{
    QString status;
    QJsonObject device; // what to keep when status is "added" or "updated"

    bool changesStore() const;
};

Decision decide(const DeviceRequest& request, const StoreView& view);

// The rules above as the help text lists them, one per line.
QString rulesHelpText();

} // namespace RegistrationRules
