#pragma once

#include "server/Protocol.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QProcess>
#include <QQueue>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>
#include <QWebSocket>

// The built ravlo-lns-sim run as a real process on a free port (--port 0); its output lines
// are collected as they come.
class SimProcess : public QObject
{
    Q_OBJECT
public:
    explicit SimProcess(QObject* parent = nullptr);
    ~SimProcess() override;

    static QString programPath();

    // Starts with the given options (plus --port 0) and waits for the "listening on" line.
    bool start(const QStringList& arguments = {});
    // Runs the program to its end (for options that make it exit); returns the exit code.
    int runToExit(const QStringList& arguments, QString* standardOutput, QString* standardError);
    bool stop();

    QUrl url() const { return m_url; }
    QStringList lines() const { return m_lines; }
    QString errorOutput() const { return m_errors; }
    bool waitForLine(const QRegularExpression& pattern, int timeoutMs = 5000);
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }

private:
    void readOutput();

    QProcess m_process;
    QByteArray m_pending;
    QStringList m_lines;
    QString m_errors;
    QUrl m_url;
};

// A plain WebSocket client that sends requests and reads the answers in order.
class SimClient : public QObject
{
    Q_OBJECT
public:
    explicit SimClient(QObject* parent = nullptr);

    bool open(const QUrl& url);
    QWebSocket& socket() { return m_socket; }

    void send(const QJsonObject& message);
    void sendText(const QString& text);
    // The next frame from the server as an object (empty after 5 s without one).
    QJsonObject next(int timeoutMs = 5000);
    QJsonObject request(const QJsonObject& message);
    // Logs in; returns the token ("" when refused).
    QString login(const QString& user = QStringLiteral("operator"),
                  const QString& password = QStringLiteral("ravlo"));
    bool waitDisconnected(int timeoutMs = 5000);

private:
    QWebSocket m_socket;
    QQueue<QString> m_received;
};

// Device objects as Ravlo sends them.
namespace SimDevices {
inline const QString appEui = QStringLiteral("0102030405060708");
inline const QString appKey = QStringLiteral("000102030405060708090A0B0C0D0E0F");
inline const QString otherKey = QStringLiteral("F0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFF");
inline const QString sessionKey = QStringLiteral("2B7E151628AED2A6ABF7158809CF4F3C");

QJsonObject otaa(const QString& devEui, const QString& eui = appEui, const QString& key = appKey);
QJsonObject abp(const QString& devEui, double devAddress, const QString& appsKey = sessionKey,
                const QString& nwksKey = sessionKey);
// A device with the radio settings of the registration page's defaults laid over it.
QJsonObject withSettings(QJsonObject device);
QJsonObject manage(const QJsonArray& devices);
QJsonObject get(const QStringList& devEuis);
// The "status" of every entry of a "manage_devices_resp", in order.
QStringList statuses(const QJsonObject& answer, const QString& arrayKey = Protocol::Key::deviceAddStatus);
} // namespace SimDevices
