#include "downlink/DataSender.h"

#include "app/DebugLog.h"
#include "intake/ScannedDevices.h"
#include "server/CServerClient.h"
#include "server/Protocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

void DataSender::sendDataRequest(const QString& devEui, const QString& data, const QString& port, bool ack)
{
    DEBUG_LOG << QStringLiteral("SEND REQUEST %1 TO %2").arg(data, devEui);
    const QJsonObject element{{Protocol::Key::devEui, devEui},
                              {Protocol::Key::data, data},
                              {Protocol::Key::port, port.toInt()},
                              {Protocol::Key::ack, ack}};
    const QJsonObject message{{Protocol::Key::cmd, Protocol::Cmd::sendDataReq},
                              {Protocol::Key::dataList, QJsonArray{element}}};
    const QString text = QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact));
    DEBUG_LOG << text;
    CServerClient::instance()->sendMessage(text);
}

void DataSender::deleteDevices(const QStringList& devEuis)
{
    QJsonArray list;
    for (const QString& devEui : devEuis) {
        list.append(devEui);
        ScannedDevices::instance()->remove(devEui);
    }
    const QJsonObject message{{Protocol::Key::cmd, Protocol::Cmd::deleteDevicesReq},
                              {Protocol::Key::devicesList, list}};
    CServerClient::instance()->sendMessage(
        QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
}
