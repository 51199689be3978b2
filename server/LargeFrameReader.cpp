#include "server/LargeFrameReader.h"

#include "foundation/DebugLog.h"
#include "foundation/JsonGuard.h"
#include "server/CMessageParser.h"
#include "server/FrameCommand.h"
#include "server/Protocol.h"

#include <QJsonDocument>
#include <QStringView>

#include <rapidjson/reader.h>

#include <vector>

namespace {

using Utf16 = rapidjson::UTF16<char16_t>;

// The device list needs four levels; a frame nested deeper is left to Qt's parser, which
// decides on it as for every frame. The handler stops the (recursive) parser at this depth.
constexpr int maxFastDepth = 64;

// Reads the frame's UTF-16 text where it lies: nothing is converted or copied beforehand.
class TextStream
{
public:
    using Ch = char16_t;
    explicit TextStream(const QString& text)
        : m_begin(reinterpret_cast<const Ch*>(text.utf16())), m_at(m_begin), m_end(m_begin + text.size())
    {
    }
    Ch Peek() const { return m_at == m_end ? 0 : *m_at; }
    Ch Take() { return m_at == m_end ? 0 : *m_at++; }
    size_t Tell() const { return size_t(m_at - m_begin); }
    bool atEnd() const { return m_at == m_end; }
    // Only for in-place parsing, which is not used.
    Ch* PutBegin() { return nullptr; }
    void Put(Ch) {}
    void Flush() {}
    size_t PutEnd(Ch*) { return 0; }

private:
    const Ch* m_begin;
    const Ch* m_at;
    const Ch* m_end;
};

bool equals(const char16_t* text, rapidjson::SizeType length, const QString& key)
{
    return QStringView(text, qsizetype(length)) == key;
}

// The elements of the list, each found again by its place in the frame's text.
class TextElements final : public DeviceListElements
{
public:
    QString text;
    std::vector<std::pair<int, int>> spans; // start and length of each element that is an object

    QJsonObject object(int index) const override
    {
        if (index < 0 || size_t(index) >= spans.size() || spans[size_t(index)].second == 0)
            return QJsonObject();
        // One element is small: Qt's own reading of it gives exactly the values a Qt-parsed
        // list would have given. Its keys were checked with the whole frame: none repeats.
        const auto span = spans[size_t(index)];
        return QJsonDocument::fromJson(QStringView(text).mid(span.first, span.second).toUtf8()).object();
    }
};

// Follows the parser's events: the command, and for each element of the top-level
// "devices_list" array its DevEUI and name as Qt would read them (a value that is not a text
// reads as an empty text). Stops at the first key an object repeats.
class DeviceListHandler : public rapidjson::BaseReaderHandler<Utf16, DeviceListHandler>
{
public:
    DeviceListHandler(const TextStream& stream, ServerDeviceRows& rows,
                      std::vector<std::pair<int, int>>& spans)
        : m_stream(stream), m_rows(rows), m_spans(spans)
    {
    }

    bool cmdIsGetDevicesResp() const { return m_cmdIsGetDevicesResp; }
    const RepeatedJsonKey& repeatedKey() const { return m_repeated; }

    bool StartObject()
    {
        if (m_depth == 0)
            m_rootIsObject = true;
        else if (!value())
            return false;
        if (inElementList())
            startElement(true);
        m_keys.enterObject();
        return enter();
    }
    bool EndObject(rapidjson::SizeType)
    {
        m_keys.leaveObject();
        --m_depth;
        if (inElementList()) {
            auto& span = m_spans.back();
            span.second = int(m_stream.Tell()) - span.first;
        }
        return true;
    }
    bool StartArray()
    {
        const bool isList = m_depth == 1 && m_key == Member::devicesList;
        if (!value())
            return false;
        if (inElementList())
            startElement(false);
        if (!enter())
            return false;
        if (isList)
            m_listDepth = m_depth;
        return true;
    }
    bool EndArray(rapidjson::SizeType)
    {
        if (m_depth == m_listDepth)
            m_listDepth = -1;
        --m_depth;
        return true;
    }
    bool Key(const char16_t* text, rapidjson::SizeType length, bool)
    {
        if (!m_keys.insert(text, length)) {
            m_repeated.found = true;
            m_repeated.offset = qint64(m_stream.Tell()); // just after the key, in characters
            m_repeated.key = QString(reinterpret_cast<const QChar*>(text), int(length));
            return false;
        }
        m_key = Member::other;
        if (m_depth == 1) {
            if (equals(text, length, Protocol::Key::cmd))
                m_key = Member::cmd;
            else if (equals(text, length, Protocol::Key::devicesList))
                m_key = Member::devicesList;
        } else if (m_listDepth >= 0 && m_depth == m_listDepth + 1) {
            if (equals(text, length, Protocol::Key::devEui))
                m_key = Member::devEui;
            else if (equals(text, length, Protocol::Key::devName))
                m_key = Member::devName;
        }
        return true;
    }
    bool String(const char16_t* text, rapidjson::SizeType length, bool)
    {
        if (!value(text, length))
            return false;
        if (inElementList())
            startElement(false);
        return true;
    }
    // Numbers, true, false and null.
    bool Default()
    {
        if (!value())
            return false;
        if (inElementList())
            startElement(false);
        return true;
    }

private:
    enum class Member
    {
        other,
        cmd,
        devicesList,
        devEui,
        devName
    };

    bool enter()
    {
        ++m_depth;
        m_key = Member::other;
        return m_depth <= maxFastDepth;
    }
    // A value begins at the current depth: it belongs to the key before it.
    bool value(const char16_t* text = nullptr, rapidjson::SizeType length = 0)
    {
        if (!m_rootIsObject)
            return false; // a bare value or an array at the top: Qt's parser says why not
        const Member key = m_key;
        m_key = Member::other;
        switch (key) {
        case Member::cmd:
            m_cmdIsGetDevicesResp = text && equals(text, length, Protocol::Cmd::getDevicesResp);
            break;
        case Member::devicesList:
            // A list that is not an array holds no devices.
            m_rows.clear();
            m_spans.clear();
            m_listDepth = -1;
            break;
        case Member::devEui:
            m_rows.last().devEui =
                text ? QString(reinterpret_cast<const QChar*>(text), int(length)) : QString();
            break;
        case Member::devName:
            m_rows.last().name =
                text ? QString(reinterpret_cast<const QChar*>(text), int(length)) : QString();
            break;
        case Member::other:
            break;
        }
        return true;
    }
    bool inElementList() const { return m_listDepth >= 0 && m_depth == m_listDepth; }
    void startElement(bool isObject)
    {
        ServerDeviceRow row;
        row.isObject = isObject;
        m_rows.append(row);
        m_spans.emplace_back(isObject ? int(m_stream.Tell()) - 1 : 0, 0);
    }

    const TextStream& m_stream;
    ServerDeviceRows& m_rows;
    std::vector<std::pair<int, int>>& m_spans;
    int m_depth = 0;
    int m_listDepth = -1;         // depth inside the top-level "devices_list" array, while in it
    Member m_key = Member::other; // what the next value is
    bool m_rootIsObject = false;
    bool m_cmdIsGetDevicesResp = false;
    JsonObjectKeys<char16_t> m_keys;
    RepeatedJsonKey m_repeated;
};

LargeFrame readWithQt(const QString& text)
{
    LargeFrame frame;
    const QByteArray utf8 = text.toUtf8();
    frame.bytes = utf8.size();
    switch (CMessageParser::checkFrame(utf8, frame.object)) {
    case CMessageParser::FrameCheck::accepted:
        frame.kind = LargeFrame::Kind::object;
        break;
    case CMessageParser::FrameCheck::repeatedKey:
        frame.kind = LargeFrame::Kind::refused;
        frame.command = FrameCommand::of(utf8);
        break;
    case CMessageParser::FrameCheck::malformed:
        break;
    }
    return frame;
}

} // namespace

LargeFrame LargeFrameReader::read(QString text)
{
    auto elements = std::make_shared<TextElements>();
    ServerDeviceRows rows;
    TextStream stream(text);
    DeviceListHandler handler(stream, rows, elements->spans);
    rapidjson::GenericReader<Utf16, Utf16> reader;
    const rapidjson::ParseResult result =
        reader.Parse<rapidjson::kParseValidateEncodingFlag>(stream, handler);
    if (handler.repeatedKey().found) {
        DEBUG_LOG << "frame refused," << handler.repeatedKey().description() << "(" << text.size()
                  << "characters)";
        LargeFrame frame;
        frame.kind = LargeFrame::Kind::refused;
        frame.bytes = text.size();
        frame.command = FrameCommand::of(text);
        return frame;
    }
    // The whole text must have been read: the parser takes a NUL character for the end.
    if (result.IsError() || !stream.atEnd() || !handler.cmdIsGetDevicesResp()) {
        // Not a device list, or a text the fast parser refuses (Qt may still accept it, or
        // explain why not): Qt's parser decides, with the usual diagnostic lines.
        return readWithQt(text);
    }
    LargeFrame frame;
    frame.kind = LargeFrame::Kind::deviceList;
    frame.bytes = text.size(); // characters: the UTF-8 size is not worked out for a large list
    frame.rows = std::move(rows);
    elements->text = std::move(text);
    frame.elements = std::move(elements);
    return frame;
}
