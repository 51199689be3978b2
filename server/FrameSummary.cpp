#include "server/FrameSummary.h"

#include "foundation/JsonGuard.h"
#include "server/Protocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
// Frames up to this size are parsed to be described; larger ones are only searched.
constexpr int parsedSize = 4096;

QString commandOf(const QString& frame)
{
    const QString marker = QStringLiteral("\"%1\":\"").arg(Protocol::Key::cmd);
    const int start = frame.indexOf(marker);
    if (start < 0)
        return QString();
    const int valueStart = start + marker.size();
    const int end = frame.indexOf(QLatin1Char('"'), valueStart);
    return end < 0 ? QString() : frame.mid(valueStart, qMin(end - valueStart, 64));
}
} // namespace

QString frameSummary(const QString& frame, qint64 utf8Bytes)
{
    QString command;
    int entries = -1;
    const QByteArray utf8 = frame.size() <= parsedSize ? frame.toUtf8() : QByteArray();
    // A text with a repeated key is only searched: Qt's parser would lose memory on it.
    if (frame.size() <= parsedSize && !JsonGuard::findRepeatedKey(utf8).found) {
        const QJsonObject object = QJsonDocument::fromJson(utf8).object();
        command = object.value(Protocol::Key::cmd).toString();
        for (const QString& key : {Protocol::Key::devicesList, Protocol::Key::dataList})
            if (object.value(key).isArray())
                entries = object.value(key).toArray().size();
    } else {
        command = commandOf(frame);
        // Every device object of a list carries its DevEUI.
        entries = frame.count(QStringLiteral("\"%1\":").arg(Protocol::Key::devEui));
    }
    QString summary = command.isEmpty() ? QStringLiteral("frame without cmd") : command;
    if (entries >= 0)
        summary += QStringLiteral(", %1 entries").arg(entries);
    return summary + QStringLiteral(", %1 bytes").arg(utf8Bytes);
}
