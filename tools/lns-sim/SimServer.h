#pragma once

#include "SimConfig.h"
#include "SimRequestHandler.h"

#include <QHash>
#include <QObject>
#include <QTimer>
#include <QUrl>

class DeviceStore;
class FrameLog;
class QWebSocket;
class QWebSocketServer;

// The WebSocket side of the simulator: accepts any number of connections, gives each its
// own login, hands every text frame to the request handler and sends the reply back, and
// pushes "rx" uplinks now and then when asked to.
class SimServer : public QObject
{
    Q_OBJECT
public:
    SimServer(const SimConfig& config, DeviceStore& store, FrameLog& log, QObject* parent = nullptr);
    ~SimServer() override;

    bool listen(QString* error);
    QUrl url() const;
    int connectionCount() const { return m_sessions.size(); }

    // Sends one "rx" uplink of a random held device to every logged-in connection (what the
    // --rx-interval timer does); false when no device or no login is there.
    bool pushUplink();

private:
    void onNewConnection();
    void onTextMessage(QWebSocket* socket, const QString& text);
    void onBinaryMessage(QWebSocket* socket, const QByteArray& data);
    void onDisconnected(QWebSocket* socket);
    void send(QWebSocket* socket, const SimReply& reply);

    const SimConfig& m_config;
    DeviceStore& m_store;
    FrameLog& m_log;
    SimRequestHandler m_handler;
    QWebSocketServer* m_server = nullptr;
    QHash<QWebSocket*, SimSession> m_sessions;
    QHash<QString, int> m_uplinkCounters;
    QTimer m_rxTimer;
    int m_nextClientId = 1;
};
