#pragma once

#include "server/LoRaDevice.h"

#include <QString>
#include <QVector>

// Writes a "manage_devices_req" straight from device records, without building JSON objects:
// the text is character for character what formDeviceJson and Qt's compact JSON writer make
// of the same devices (keys in Qt's sorted order, Qt's escapes and number forms), only faster.
class ManageDevicesText
{
public:
    // The request for count devices from first on (all from first when count is negative).
    // No devices: the request has "cmd" alone.
    static QString request(const QVector<LoRaDevice>& devices, int first = 0, int count = -1);

    // One device object, as formDeviceJson appends it.
    static void appendDevice(QString& out, const LoRaDevice& device);
};
