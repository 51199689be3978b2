#pragma once

#include <QMetaType>
#include <QString>
#include <QVector>

// One element of a "get_devices_resp" as the server device table shows it: the texts of its
// "devName" and "devEui" (empty when missing or not a text), and whether it was an object at all.
struct ServerDeviceRow
{
    QString name;
    QString devEui;
    bool isObject = false;
};

using ServerDeviceRows = QVector<ServerDeviceRow>;

Q_DECLARE_METATYPE(ServerDeviceRows)
