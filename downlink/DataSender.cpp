#include "downlink/DataSender.h"

#include "foundation/DebugLog.h"
#include "intake/ScannedDevices.h"
#include "server/CServerClient.h"
#include "server/JsonText.h"
#include "server/Protocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
bool sendWhenReady(const QString& text)
{
    CServerClient* client = CServerClient::instance();
    if (client->clientState() != EClientStates::ready) {
        DEBUG_LOG << "not sent, the client is not logged in:" << DebugLog::brief(text);
        return false;
    }
    return !client->sendMessage(text); // sendMessage answers true for a failed send
}
} // namespace

bool DataSender::sendDataRequest(const QString& devEui, const QString& data, const QString& port, bool ack)
{
    DEBUG_LOG << QStringLiteral("SEND REQUEST %1 TO %2").arg(DebugLog::brief(data), devEui);
    const QJsonObject element{{Protocol::Key::devEui, devEui},
                              {Protocol::Key::data, data},
                              {Protocol::Key::port, port.toInt()},
                              {Protocol::Key::ack, ack}};
    const QJsonObject message{{Protocol::Key::cmd, Protocol::Cmd::sendDataReq},
                              {Protocol::Key::dataList, QJsonArray{element}}};
    const QString text = compactJsonText(message);
    DEBUG_LOG << DebugLog::brief(text);
    return sendWhenReady(text);
}

bool DataSender::deleteDevices(const QStringList& devEuis)
{
    const QJsonObject message{{Protocol::Key::cmd, Protocol::Cmd::deleteDevicesReq},
                              {Protocol::Key::devicesList, QJsonArray::fromStringList(devEuis)}};
    if (!sendWhenReady(compactJsonText(message)))
        return false;
    for (const QString& devEui : devEuis)
        ScannedDevices::instance()->remove(devEui);
    return true;
}
