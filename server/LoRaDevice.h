#pragma once

#include <QMetaType>
#include <QString>
#include <QVector>

#include <array>

// One end device as the program and the server know it. A fresh record holds 0 (0.0, false,
// empty) everywhere; the registration page writes -1 (a coordinate -1.0) into every number
// whose settings group is not in use, and the request builder leaves those out, so the
// server keeps its own value. A record read back from the server has classCGate 1.
struct LoRaDevice
{
    QString devEui;
    QString appEui;
    QString appKey;
    quint32 devAddress = 0;
    QString appsKey;
    QString nwksKey;
    QString devName;
    QString devClass;
    QString freqPlanName;
    qint32 freq4 = 0;
    qint32 freq5 = 0;
    qint32 freq6 = 0;
    qint32 freq7 = 0;
    qint32 freq8 = 0;
    qint32 freqRx2 = 0;
    qint32 rxWindow = 0;
    qint32 delayRx1 = 0;
    qint32 delayJoin1 = 0;
    qint32 reactionTime = 0;
    qint32 altitude = 0;
    double longitude = 0.0;
    double latitude = 0.0;
    qint32 preferDr = 0;
    qint32 preferPower = 0;
    qint32 drRx2 = 0;
    qint32 classCGate = 0;
    bool useDownlinkQueueClassC = false;
    bool serverAdrEnable = false;
    std::array<bool, 16> channelEn{};
    bool hasAbp = false;
    bool hasOtaa = false;
    QString sn;

    bool existABP() const { return hasAbp; }
    bool existOTAA() const { return hasOtaa; }
    // DevEUI, AppEUI and AppKey are all present: the label was readable.
    bool hasOtaaCredentials() const { return !devEui.isEmpty() && !appEui.isEmpty() && !appKey.isEmpty(); }

    // frequency of extra channel 4..8
    qint32 freq(int channelNumber) const;
    void setFreq(int channelNumber, qint32 value);

    bool operator==(const LoRaDevice& other) const;
    bool operator!=(const LoRaDevice& other) const { return !(*this == other); }
};

// true when a coordinate holds the "unset" value -1.0 (relative tolerance 1e-12).
bool isUnsetCoordinate(double value);

Q_DECLARE_METATYPE(LoRaDevice)
Q_DECLARE_METATYPE(QVector<LoRaDevice>)
