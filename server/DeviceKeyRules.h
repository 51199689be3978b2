#pragma once

#include "server/LoRaDevice.h"

// The rules for leaving a key out of a "manage_devices_req": a device record holds -1 in a
// field the operator did not choose (and a coordinate -1.0), and the server keeps its own value
// for a key that is missing. Both writers of the request follow these.
namespace DeviceKeyRules {

// Class C reaction time, frequencies, preferred data rate and power: any negative value is unset.
inline bool isChosenNumber(qint32 value)
{
    return value >= 0;
}
// RX window, delays, RX2 data rate and altitude: exactly -1 is unset.
inline bool isNotMinusOne(qint32 value)
{
    return value != -1;
}
// The downlink-queue flag of class C goes only with a positive gate.
inline bool isGateOpen(qint32 classCGate)
{
    return classCGate > 0;
}
// A DevAddr of 0 is no address.
inline bool isAssignedAddress(quint32 devAddress)
{
    return devAddress != 0;
}
// -1.0 (within a relative tolerance) is an unset coordinate.
inline bool isChosenCoordinate(double value)
{
    return !isUnsetCoordinate(value);
}

// Which groups of keys a device object carries follows from its credentials: a device read
// back from the server with both kinds is a settings update without key material, a device
// with neither (a scan or a file line) is a first registration with everything.
struct Groups
{
    bool neither = false;
    bool classCAndMask = false;
    bool abp = false;
    bool otaa = false;
};

inline Groups groupsOf(const LoRaDevice& device)
{
    Groups groups;
    if (device.existOTAA() && !device.existABP()) {
        groups.otaa = true;
    } else if (device.existABP() && !device.existOTAA()) {
        groups.abp = true;
    } else if (device.existOTAA() && device.existABP()) {
        groups.classCAndMask = true;
    } else {
        groups.neither = groups.classCAndMask = groups.abp = groups.otaa = true;
    }
    return groups;
}

} // namespace DeviceKeyRules
