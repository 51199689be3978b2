#pragma once

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QTcpServer;
class QTcpSocket;
class QWebSocket;
class QWebSocketServer;

// A small network server on 127.0.0.1 (a free port) for tests: it records every frame the
// program sends and answers the login and the counters request like a real server would.
class LoopbackServer : public QObject
{
    Q_OBJECT
public:
    explicit LoopbackServer(QObject* parent = nullptr);
    ~LoopbackServer() override;

    quint16 port() const;
    QString address() const; // "127.0.0.1:<port>", as typed into the connection panel

    // Login check: empty login accepts everybody.
    void setCredentials(const QString& login, const QString& password);
    void setServerInfo(bool status, int countQelt, int countOther);
    // Stops answering a command automatically (the test answers it, or nobody does).
    void setAutoAnswer(const QString& cmd, bool enabled);

    QStringList receivedFrames() const { return m_frames; }
    QList<QJsonObject> receivedObjects(const QString& cmd = QString()) const;
    QStringList receivedCommands() const;
    void clearReceived() { m_frames.clear(); }

    bool hasClient() const { return !m_client.isNull(); }
    void sendToClient(const QString& frame);
    void closeClient();
    // Drops the TCP connection without a closing handshake, as a crashed server would.
    void abortClient();

signals:
    void frameReceived(QString frame);
    void clientConnected();

private:
    void onNewConnection();
    void onFrame(const QString& frame);

    QWebSocketServer* m_server = nullptr;
    QPointer<QWebSocket> m_client;
    QStringList m_frames;
    QString m_login;
    QString m_password;
    bool m_infoStatus = true;
    int m_countQelt = 0;
    int m_countOther = 0;
    QHash<QString, bool> m_autoAnswer;
    int m_tokenCounter = 0;
};

// A plain TCP server on 127.0.0.1 (a free port) that answers whatever it is sent with one fixed
// reply (an HTTP error page, garbage) and keeps the connection open, as a web server on the wrong
// port would: only the client can end the connection.
class FixedReplyTcpServer : public QObject
{
    Q_OBJECT
public:
    explicit FixedReplyTcpServer(const QByteArray& reply, QObject* parent = nullptr);

    QString address() const; // "127.0.0.1:<port>"
    bool peerConnected() const { return m_peerConnected; }
    bool peerClosed() const { return m_peerClosed; }

private:
    QTcpServer* m_server = nullptr;
    QByteArray m_reply;
    bool m_peerConnected = false;
    bool m_peerClosed = false;
};

// A WebSocket server on 127.0.0.1 (a free port) written on a plain TCP server, the handshake and
// the frames done by hand, so that a test controls what Qt's own server would always do for it:
// answering pings. It accepts every login and answers the counters request.
class HandmadeWebSocketServer : public QObject
{
    Q_OBJECT
public:
    explicit HandmadeWebSocketServer(QObject* parent = nullptr);

    QString address() const; // "127.0.0.1:<port>"
    // Once false, pings are read and left unanswered, as by a stalled server whose TCP stack
    // still accepts the bytes.
    void setAnswerPings(bool answer) { m_answerPings = answer; }
    int pingsReceived() const { return m_pings; }
    int loginsReceived() const { return m_logins; }
    bool peerConnected() const { return !m_peer.isNull(); }

private:
    void onReadyRead();
    void handleFrame(int opcode, const QByteArray& payload);
    void sendFrame(int opcode, const QByteArray& payload);

    QTcpServer* m_server = nullptr;
    QPointer<QTcpSocket> m_peer;
    QByteArray m_buffer;
    bool m_handshakeDone = false;
    bool m_answerPings = true;
    int m_pings = 0;
    int m_logins = 0;
};

// Wires the client to the parser once, as start-up does, and logs the program's client in
// to the given server; true once the client is ready.
bool loginToLoopbackServer(LoopbackServer& server, const QString& login = QStringLiteral("operator"),
                           const QString& password = QStringLiteral("secret"));

// Ends the program's session from the server's side and waits until the client is
// disconnected with its socket closed, so that the next test can log in again.
bool endLoopbackSession(LoopbackServer& server);
