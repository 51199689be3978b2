#include "server/LargeFrameReader.h"

#include "foundation/DebugLog.h"
#include "server/CMessageParser.h"
#include "server/Protocol.h"

#include <QJsonDocument>

#include <simdjson.h>

#include <string_view>

namespace {

// The device list needs four levels; anything nested deeper is left to Qt's parser, which
// decides on it as for every frame.
constexpr size_t maxFastDepth = 64;

const std::string_view getDevicesResp = "get_devices_resp";
const std::string_view cmdKey = "cmd";
const std::string_view devicesListKey = "devices_list";
const std::string_view devEuiKey = "devEui";
const std::string_view devNameKey = "devName";

QString textOf(simdjson::dom::element value)
{
    std::string_view text;
    if (value.get_string().get(text) != simdjson::SUCCESS)
        return QString();
    return QString::fromUtf8(text.data(), int(text.size()));
}

class SimdjsonElements final : public DeviceListElements
{
public:
    simdjson::dom::parser parser;
    simdjson::dom::array list;

    QJsonObject object(int index) const override
    {
        simdjson::dom::element element;
        if (list.at(size_t(index)).get(element) != simdjson::SUCCESS || !element.is_object())
            return QJsonObject();
        // One element is small: Qt's own reading of it gives exactly the values a Qt-parsed
        // list would have given.
        const std::string text = simdjson::minify(element);
        return QJsonDocument::fromJson(QByteArray::fromRawData(text.data(), int(text.size()))).object();
    }
};

ServerDeviceRow rowOf(simdjson::dom::element element)
{
    ServerDeviceRow row;
    simdjson::dom::object device;
    if (element.get_object().get(device) != simdjson::SUCCESS)
        return row;
    row.isObject = true;
    // Qt keeps the last of repeated keys; so does the table.
    for (const simdjson::dom::key_value_pair field : device) {
        if (field.key == devEuiKey)
            row.devEui = textOf(field.value);
        else if (field.key == devNameKey)
            row.name = textOf(field.value);
    }
    return row;
}

// Fills the rows when the document is a "get_devices_resp"; false for any other answer.
bool readDeviceList(simdjson::dom::element root, SimdjsonElements& elements, ServerDeviceRows& rows)
{
    simdjson::dom::object frame;
    if (root.get_object().get(frame) != simdjson::SUCCESS)
        return false;
    std::string_view cmd;
    bool cmdIsText = false;
    simdjson::dom::element list;
    bool hasList = false;
    for (const simdjson::dom::key_value_pair field : frame) {
        if (field.key == cmdKey) {
            cmdIsText = field.value.get_string().get(cmd) == simdjson::SUCCESS;
        } else if (field.key == devicesListKey) {
            list = field.value;
            hasList = true;
        }
    }
    if (!cmdIsText || cmd != getDevicesResp)
        return false;
    // A "devices_list" that is missing or not an array holds no devices, as Qt reads it.
    if (!hasList || list.get_array().get(elements.list) != simdjson::SUCCESS)
        return true;
    rows.reserve(int(elements.list.size()));
    for (const simdjson::dom::element element : elements.list)
        rows.append(rowOf(element));
    return true;
}

LargeFrame readWithQt(const QByteArray& utf8)
{
    LargeFrame frame;
    frame.bytes = utf8.size();
    if (CMessageParser::parseFrame(utf8, frame.object))
        frame.kind = LargeFrame::Kind::object;
    return frame;
}

} // namespace

LargeFrame LargeFrameReader::read(QString text)
{
    QByteArray utf8 = text.toUtf8();
    text = QString();
    // The fast parser reads a little past the end of the text.
    utf8.reserve(utf8.size() + int(simdjson::SIMDJSON_PADDING));

    auto elements = std::make_shared<SimdjsonElements>();
    simdjson::dom::element root;
    ServerDeviceRows rows;
    if (elements->parser.allocate(size_t(utf8.size()), maxFastDepth) != simdjson::SUCCESS ||
        elements->parser.parse(utf8.constData(), size_t(utf8.size()), false).get(root) != simdjson::SUCCESS ||
        !readDeviceList(root, *elements, rows)) {
        // Not a device list, or a text the fast parser refuses (Qt may still accept it, or
        // explain why not): Qt's parser decides, with the usual diagnostic lines.
        return readWithQt(utf8);
    }
    LargeFrame frame;
    frame.kind = LargeFrame::Kind::deviceList;
    frame.bytes = utf8.size();
    frame.rows = std::move(rows);
    frame.elements = std::move(elements);
    return frame;
}
