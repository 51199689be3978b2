#pragma once

#include "common/LoopbackServer.h"
#include "registration/widgets/CIAboutDevice.h"
#include "server/CMessageParser.h"
#include "server/CServerClient.h"
#include "server/Protocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QMap>
#include <QtTest>

// The device store of a network server behind a LoopbackServer: registers what it does not
// hold ("added"), refuses what it holds ("reginfoAlreadyExist"), lists and deletes, and answers
// in the order of the requests, as a real server does.
class FakeDeviceStore : public QObject
{
public:
    explicit FakeDeviceStore(LoopbackServer& server) : m_server(server)
    {
        connect(&server, &LoopbackServer::frameReceived, this, &FakeDeviceStore::answer);
    }

    QMap<QString, QJsonObject> held; // by DevEUI in upper case
    QString nextStatus;              // answers the next registration with this word instead

    void hold(const QString& devEui, const QJsonObject& extra = {})
    {
        QJsonObject device = extra;
        device.insert(Protocol::Key::devEui, devEui);
        held.insert(devEui.toUpper(), device);
    }

private:
    static QString text(const QJsonObject& object)
    {
        return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
    }
    void answer(const QString& frame)
    {
        const QJsonObject request = QJsonDocument::fromJson(frame.toUtf8()).object();
        const QString cmd = request.value(Protocol::Key::cmd).toString();
        if (cmd == Protocol::Cmd::manageDevicesReq) {
            QJsonArray statuses;
            for (const QJsonValue& value : request.value(Protocol::Key::devicesList).toArray()) {
                const QJsonObject device = value.toObject();
                const QString devEui = device.value(Protocol::Key::devEui).toString();
                QString status = held.contains(devEui.toUpper()) ? Protocol::Status::reginfoAlreadyExist
                                                                 : Protocol::Status::added;
                if (device.value(Protocol::Key::otaa)
                        .toObject()
                        .value(Protocol::Key::appKey)
                        .toString()
                        .isEmpty())
                    status = Protocol::Status::invalidAppKeyValue;
                if (!nextStatus.isEmpty())
                    status = nextStatus;
                nextStatus.clear();
                if (status == Protocol::Status::added)
                    held.insert(devEui.toUpper(), device);
                statuses.append(
                    QJsonObject{{Protocol::Key::devEui, devEui}, {Protocol::Key::status, status}});
            }
            m_server.sendToClient(text({{Protocol::Key::cmd, Protocol::Cmd::manageDevicesResp},
                                        {Protocol::Key::deviceAddStatus, statuses}}));
        } else if (cmd == Protocol::Cmd::getDevicesReq) {
            QJsonArray list;
            if (request.contains(Protocol::Key::select)) {
                const QJsonArray wanted = request.value(Protocol::Key::select)
                                              .toObject()
                                              .value(Protocol::Key::devEuiList)
                                              .toArray();
                for (const QJsonValue& devEui : wanted) {
                    if (held.contains(devEui.toString().toUpper()))
                        list.append(held.value(devEui.toString().toUpper()));
                }
            } else {
                for (const QJsonObject& device : qAsConst(held))
                    list.append(device);
            }
            m_server.sendToClient(text({{Protocol::Key::cmd, Protocol::Cmd::getDevicesResp},
                                        {Protocol::Key::status, true},
                                        {Protocol::Key::devicesList, list}}));
        } else if (cmd == Protocol::Cmd::deleteDevicesReq) {
            QJsonArray statuses;
            for (const QJsonValue& devEui : request.value(Protocol::Key::devicesList).toArray()) {
                const bool removed = held.remove(devEui.toString().toUpper()) > 0;
                statuses.append(QJsonObject{{Protocol::Key::devEui, devEui.toString()},
                                            {Protocol::Key::status, removed ? QStringLiteral("deleted")
                                                                            : QStringLiteral("notFound")}});
            }
            m_server.sendToClient(text({{Protocol::Key::cmd, Protocol::Cmd::deleteDevicesResp},
                                        {Protocol::Key::deviceDeleteStatus, statuses}}));
        }
    }

    LoopbackServer& m_server;
};

// The registration page, shown, beside a server with a device store.
struct PageUnderTest
{
    PageUnderTest() { page.show(); }
    ~PageUnderTest()
    {
        if (CServerClient::instance()->state() != QAbstractSocket::UnconnectedState)
            endLoopbackSession(server);
    }
    bool login() { return loginToLoopbackServer(server); }

    template <typename T = QWidget> T* find(const char* name) const
    {
        T* child = page.findChild<T*>(QLatin1String(name));
        if (!child)
            qFatal("no widget %s", name);
        return child;
    }
    QString text(const char* label) const;
    // Every request sent so far has reached the server, and every answer to it has been
    // handled: a marker goes out last and the server's answer to the counters request after it
    // comes back last.
    bool settle();
    QList<QJsonObject> sent(const QString& cmd) const { return server.receivedObjects(cmd); }
    // The device objects of every "manage_devices_req", in order.
    QList<QJsonObject> registered() const;

    LoopbackServer server;
    FakeDeviceStore store{server};
    CIAboutDevice page;
    QSignalSpy counters{CMessageParser::instance(), &CMessageParser::serverInfoResp};
};

inline QString PageUnderTest::text(const char* label) const
{
    return find<QLabel>(label)->text();
}

inline bool PageUnderTest::settle()
{
    const int before = server.receivedCommands().count(Protocol::Cmd::serverInfoReq);
    CServerClient::instance()->sendMessage(CMessageParser::serverInfoRequest());
    if (!QTest::qWaitFor(
            [&] { return server.receivedCommands().count(Protocol::Cmd::serverInfoReq) > before; }, 10000))
        return false;
    return QTest::qWaitFor(
        [this] { return counters.count() >= server.receivedCommands().count(Protocol::Cmd::serverInfoReq); },
        10000);
}

inline QList<QJsonObject> PageUnderTest::registered() const
{
    QList<QJsonObject> devices;
    for (const QJsonObject& request : sent(Protocol::Cmd::manageDevicesReq))
        for (const QJsonValue& device : request.value(Protocol::Key::devicesList).toArray())
            devices.append(device.toObject());
    return devices;
}

// A readable label: DevEUI, AppEUI and AppKey.
inline LoRaDevice scannedDevice(const QString& devEui, quint32 devAddress = 0)
{
    LoRaDevice device;
    device.devEui = devEui;
    device.appEui = QStringLiteral("0102030405060708");
    device.appKey = QStringLiteral("2B7E151628AED2A6ABF7158809CF4F3C");
    device.devAddress = devAddress;
    return device;
}
