#include "downlink/RequestsFile.h"

#include "server/JsonText.h"
#include "server/Protocol.h"

#include <QRegularExpression>

namespace {
RequestsFileLine skipped(const QString& reason)
{
    RequestsFileLine line;
    line.kind = RequestsFileLine::Kind::skipped;
    line.reason = reason;
    return line;
}

bool isHexBytes(const QString& text)
{
    static const QRegularExpression hexPairs(QStringLiteral("\\A(?:[0-9A-Fa-f]{2})+\\z"));
    return hexPairs.match(text).hasMatch();
}
} // namespace

RequestsFileLine RequestsFile::decodeLine(const QString& text)
{
    if (text.trimmed().isEmpty())
        return RequestsFileLine();
    bool hasDevEui = false;
    bool hasData = false;
    bool hasPort = false;
    RequestsFileLine line;
    const QStringList pieces = text.split(QLatin1Char(','));
    for (const QString& piece : pieces) {
        const int equals = piece.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = piece.left(equals).trimmed();
        const QString value = piece.mid(equals + 1).trimmed();
        if (key.compare(QLatin1String("deveui"), Qt::CaseInsensitive) == 0) {
            line.devEui = value;
            hasDevEui = true;
        } else if (key.compare(QLatin1String("data"), Qt::CaseInsensitive) == 0) {
            line.data = value;
            hasData = true;
        } else if (key.compare(QLatin1String("port"), Qt::CaseInsensitive) == 0) {
            line.port = value;
            hasPort = true;
        }
    }
    if (!hasDevEui || line.devEui.isEmpty())
        return skipped(QStringLiteral("no deveui"));
    if (!hasData)
        return skipped(QStringLiteral("no data"));
    if (!hasPort)
        return skipped(QStringLiteral("no port"));
    if (!isHexBytes(line.data))
        return skipped(QStringLiteral("data is not hexadecimal bytes"));
    bool isNumber = false;
    const int port = line.port.toInt(&isNumber, 10);
    if (!isNumber || port < minPort || port > maxPort)
        return skipped(QStringLiteral("port is not %1..%2").arg(minPort).arg(maxPort));
    line.kind = RequestsFileLine::Kind::downlink;
    return line;
}

QString RequestsFile::sendDataRequest(const RequestsFileLine& line)
{
    const QJsonObject downlink{{Protocol::Key::devEui, line.devEui},
                               {Protocol::Key::data, line.data},
                               {Protocol::Key::port, line.port}};
    return compactJsonText(
        {{Protocol::Key::cmd, Protocol::Cmd::sendDataReq}, {Protocol::Key::dataList, QJsonArray{downlink}}});
}
