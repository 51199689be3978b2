#include "intake/DevicesResultCsv.h"

#include "intake/ReadDevicesListModel.h"

#include <QSaveFile>

QByteArray DevicesResultCsv::field(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n')) {
        bytes.replace('"', "\"\"");
        bytes.prepend('"');
        bytes.append('"');
    }
    return bytes;
}

QByteArray DevicesResultCsv::encode(const ReadDevicesListModel& model)
{
    QByteArray text = "DevEUI,AppEUI,serial number,status\r\n";
    text.reserve(text.size() + model.rowCount() * 64);
    for (int row = 0; row < model.rowCount(); ++row) {
        const LoRaDevice& device = model.device(row);
        text += field(device.devEui) + ',' + field(device.appEui) + ',' + field(device.sn) + ',' +
                field(model.status(row)) + "\r\n";
    }
    return text;
}

bool DevicesResultCsv::write(const ReadDevicesListModel& model, const QString& path, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(encode(model)) < 0 || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
