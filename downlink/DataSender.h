#pragma once

#include <QString>
#include <QStringList>

// Small requests that are built and sent without a reply of their own to wait for.
class DataSender
{
public:
    DataSender() = delete;

    // One "send_data_req" with a single downlink; the port text is read as a decimal number.
    static void sendDataRequest(const QString& devEui, const QString& data, const QString& port, bool ack);
    // One "delete_devices_req" for all given DevEUIs; each is also dropped from the added-devices record.
    static void deleteDevices(const QStringList& devEuis);
};
