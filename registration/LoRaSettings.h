#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

// What the LoRaWAN settings groups of the registration page hold, as plain value records, so
// the rules that complete a device and the stored presets can use them without any widget.
// Every record carries its group's enabled flag: a group that is not in use is not applied.

// Server-side adaptive data rate and the data rate and power the device should prefer.
struct AdaptiveDrSettings
{
    bool enabled = false;
    bool serverAdrEnable = false;
    qint32 preferDr = 0;
    qint32 preferPower = 0;
};

// The receive windows: which window the device answers in, the delays and the RX2 data rate.
struct RxSettings
{
    bool enabled = false;
    qint32 delayRx1 = 0;
    qint32 rxWindow = 0;
    qint32 drRx2 = 0;
    qint32 delayJoin1 = 0;
};

// The device's position: latitude and longitude in degrees, altitude in metres.
struct LocationSettings
{
    bool enabled = false;
    qint32 altitude = 0;
    double longitude = 0.0;
    double latitude = 0.0;
};

// The expert settings: adaptive data rate, RX windows, location.
struct ExpertSettings
{
    // True when any nested group is in use.
    bool enabled = false;
    AdaptiveDrSettings adr;
    RxSettings rx;
    LocationSettings location;
};

// The name template ("%deveui", "%date", "%sn", "%n") and the LoRaWAN class.
struct DeviceSettings
{
    QString nameTemplate;
    QString devClass;
    bool enabled = false;
};

// What only a class C device uses.
struct ClassCSettings
{
    qint32 reactionTime = 0;
    bool useDownlinkQueue = false;
    bool enabled = false;
};

// The frequency plan: its name, the extra channels 4 to 8, the RX2 frequency (Hz) and which of
// the first eight channels are enabled.
struct FreqPlanSettings
{
    static constexpr int channelCount = 8;

    bool enabled = false;
    qint32 freq4 = 0;
    qint32 freq5 = 0;
    qint32 freq6 = 0;
    qint32 freq7 = 0;
    qint32 freq8 = 0;
    qint32 freqRx2 = 0;
    QString plan;
    std::array<bool, channelCount> channelEn{};
};

// The optional settings: name and class, class C settings, frequency plan.
struct OptionalSettings
{
    DeviceSettings device;
    ClassCSettings classC;
    FreqPlanSettings freqPlan;
    // True when any nested group is in use.
    bool enabled = false;
};
