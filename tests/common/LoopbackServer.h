#pragma once

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QPointer>
#include <QStringList>

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

// Wires the client to the parser once, as start-up does, and logs the program's client in
// to the given server; true once the client is ready.
bool loginToLoopbackServer(LoopbackServer& server, const QString& login = QStringLiteral("operator"),
                           const QString& password = QStringLiteral("secret"));
