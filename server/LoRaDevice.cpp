#include "server/LoRaDevice.h"

#include <QtGlobal>

qint32 LoRaDevice::freq(int channelNumber) const
{
    switch (channelNumber) {
    case 4:
        return freq4;
    case 5:
        return freq5;
    case 6:
        return freq6;
    case 7:
        return freq7;
    case 8:
        return freq8;
    default:
        return -1;
    }
}

void LoRaDevice::setFreq(int channelNumber, qint32 value)
{
    switch (channelNumber) {
    case 4:
        freq4 = value;
        break;
    case 5:
        freq5 = value;
        break;
    case 6:
        freq6 = value;
        break;
    case 7:
        freq7 = value;
        break;
    case 8:
        freq8 = value;
        break;
    default:
        break;
    }
}

bool LoRaDevice::operator==(const LoRaDevice& o) const
{
    return devEui == o.devEui && appEui == o.appEui && appKey == o.appKey && devAddress == o.devAddress &&
           appsKey == o.appsKey && nwksKey == o.nwksKey && devName == o.devName && devClass == o.devClass &&
           freqPlanName == o.freqPlanName && freq4 == o.freq4 && freq5 == o.freq5 && freq6 == o.freq6 &&
           freq7 == o.freq7 && freq8 == o.freq8 && freqRx2 == o.freqRx2 && rxWindow == o.rxWindow &&
           delayRx1 == o.delayRx1 && delayJoin1 == o.delayJoin1 && reactionTime == o.reactionTime &&
           altitude == o.altitude && longitude == o.longitude && latitude == o.latitude &&
           preferDr == o.preferDr && preferPower == o.preferPower && drRx2 == o.drRx2 &&
           classCGate == o.classCGate && useDownlinkQueueClassC == o.useDownlinkQueueClassC &&
           serverAdrEnable == o.serverAdrEnable && channelEn == o.channelEn && hasAbp == o.hasAbp &&
           hasOtaa == o.hasOtaa && sn == o.sn;
}

bool isUnsetCoordinate(double value)
{
    return qAbs(value - (-1.0)) * 1e12 <= qMin(qAbs(value), 1.0);
}
