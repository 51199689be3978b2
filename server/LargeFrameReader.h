#pragma once

#include "server/ServerDeviceRow.h"

#include <QJsonObject>
#include <QString>

#include <memory>

// The elements of a device list read by LargeFrameReader, kept so that the record of one
// device can be made from its element after the list itself has been handed on.
class DeviceListElements
{
public:
    virtual ~DeviceListElements() = default;
    // The element at index (an object, or an empty object for anything else).
    virtual QJsonObject object(int index) const = 0;
};

// What a frame too large to parse on the GUI thread was found to be.
struct LargeFrame
{
    enum class Kind
    {
        dropped,   // not a JSON object the program can take (the reason is in the log)
        refused,   // an object repeats a key: never given to Qt's parser (the key is in the log)
        object,    // any other answer, parsed with Qt's JSON classes
        deviceList // a "get_devices_resp", read straight into table rows
    };
    Kind kind = Kind::dropped;
    qint64 bytes = 0; // the frame's size: UTF-8 bytes, or characters for a device list
    QJsonObject object;
    QString command; // of a refused frame, so that the request it answers is known
    ServerDeviceRows rows;
    std::shared_ptr<const DeviceListElements> elements;
};

// Reads one received frame, on any thread. A "get_devices_resp" is read with a streaming JSON
// parser (RapidJSON's SAX reader, over the text's own UTF-16: nothing is converted and no
// document is built) straight into the rows of the device table; everything else, and any text
// the streaming parser does not take, goes through the same checks (and the same diagnostic
// lines) as every frame read on the GUI thread, so a large frame is accepted or refused exactly
// as a small one. The streaming parser checks every object for repeated keys as it goes, so a
// device list costs no pass of its own for that check.
class LargeFrameReader
{
public:
    // Takes the text by value: a device list keeps it (shared, not copied) for its elements,
    // anything else lets it go once read.
    static LargeFrame read(QString text);
};
