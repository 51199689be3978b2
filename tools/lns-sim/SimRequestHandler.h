#pragma once

#include "SimConfig.h"
#include "SimReply.h"

#include <QHash>
#include <QJsonObject>
#include <QQueue>
#include <QString>

#include <optional>

class DeviceStore;
class FrameLog;

// One client connection as the protocol sees it: who logged in, with which token.
struct SimSession
{
    int id = 0;
    QString login;
    QString token; // empty = not logged in

    bool loggedIn() const { return !token.isEmpty(); }
};

// A frame read as a request: the object and its "cmd", or the error reply when it is none.
struct ParsedFrame
{
    QJsonObject request;
    QString cmd; // as far as it could be read, for the log
    std::optional<QJsonObject> errorReply;
    QString problem; // what was wrong, for the log
};

// The simulated network server's answers: turns one request of a connection into its reply,
// keeping devices in the store and downlinks in a queue per device.
class SimRequestHandler
{
public:
    SimRequestHandler(const SimConfig& config, DeviceStore& store, FrameLog& log);

    // Reads a text frame as a request; the one place where a request text is parsed.
    static ParsedFrame parseFrame(const QByteArray& utf8);
    static QJsonObject errorReply(const QString& errString);

    SimReply handle(const QJsonObject& request, const QString& cmd, SimSession& session);

    // The oldest downlink queued for the device, taken off the queue.
    std::optional<QJsonObject> takeDownlink(const QString& devEui);

private:
    QJsonObject authorize(const QJsonObject& request, SimSession& session);
    QJsonObject closeAuthorization(const QJsonObject& request, SimSession& session);
    QJsonObject serverInfo() const;
    QJsonObject manageDevices(const QJsonObject& request, const SimSession& session);
    SimReply getDevices(const QJsonObject& request) const;
    QJsonObject deleteDevices(const QJsonObject& request, const SimSession& session);
    QJsonObject manageAppData(const QJsonObject& request, const SimSession& session);
    QJsonObject sendData(const QJsonObject& request, const SimSession& session);

    const SimConfig& m_config;
    DeviceStore& m_store;
    FrameLog& m_log;
    QHash<QString, QQueue<QJsonObject>> m_downlinks;
};
