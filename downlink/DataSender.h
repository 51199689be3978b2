#pragma once

#include <QString>
#include <QStringList>

// Small requests that are built and sent without a reply of their own to wait for.
// Each returns true when its message went out whole; without a complete login nothing is sent.
class DataSender
{
public:
    DataSender() = delete;

    // One "send_data_req" with a single downlink; the port text is read as a decimal number.
    static bool sendDataRequest(const QString& devEui, const QString& data, const QString& port, bool ack);
    // One "delete_devices_req" for all given DevEUIs. Only once it has gone out are they dropped
    // from the added-devices record, so a refused request loses none of them.
    static bool deleteDevices(const QStringList& devEuis);
};
