#pragma once

#include <QString>

// One line of a requests file: a downlink to send, written as comma-separated key=value
// pieces, e.g. "deveui=70B3D5E75E000001, data=0A1B, port=2".
//  - In each piece the key is the trimmed text before the first "=", compared with "deveui",
//    "data" and "port" ignoring case; the value is the trimmed rest. Other pieces are ignored;
//    a later piece with the same key wins.
//  - The line is a downlink only with all three keys, a non-empty DevEUI, data of whole
//    hexadecimal byte pairs (at least one) and a port of 1 to 223.
//  - A line holding nothing but blanks is blank; nothing carries over from another line.
struct RequestsFileLine
{
    enum class Kind
    {
        downlink,
        blank,
        skipped // not a valid downlink; reason says why
    };
    Kind kind = Kind::blank;
    QString devEui;
    QString data;
    QString port; // as written (trimmed): it is sent as text
    QString reason;

    bool isDownlink() const { return kind == Kind::downlink; }
};

class RequestsFile
{
public:
    RequestsFile() = delete;

    static constexpr int minPort = 1;
    static constexpr int maxPort = 223;

    static RequestsFileLine decodeLine(const QString& line);
    // The "send_data_req" text of one downlink; every value, the port too, travels as a string.
    static QString sendDataRequest(const RequestsFileLine& line);
};
