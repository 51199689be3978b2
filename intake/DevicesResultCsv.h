#pragma once

#include <QByteArray>
#include <QString>

class ReadDevicesListModel;

// The result of a bulk registration as CSV (RFC 4180, UTF-8): a header row "DevEUI", "AppEUI",
// "serial number", "status", then one record per row of the model in row order. A field holding
// a comma, a double quote, CR or LF is written in double quotes with its quotes doubled; every
// record ends with CR LF.
class DevicesResultCsv
{
public:
    static QByteArray encode(const ReadDevicesListModel& model);
    // Writes the file whole or not at all; false with the reason in error.
    static bool write(const ReadDevicesListModel& model, const QString& path, QString* error = nullptr);

    static QByteArray field(const QString& text);
};
