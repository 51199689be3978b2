#pragma once

#include "server/Protocol.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QQueue>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QUrl>
#include <QWebSocket>

#include <csignal>

// The built ravlo-lns-sim as a real process on a free port (--port 0); its output lines are
// collected as they come, so the pipe never fills up.
class SimProcess
{
public:
    SimProcess()
    {
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] { read(); });
    }
    ~SimProcess()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished(10000);
    }
    // Starts with the given options; the first line names the address.
    bool start(const QStringList& arguments = {})
    {
        m_process.start(QStringLiteral(RAVLO_LNS_SIM_PATH), arguments + QStringList{"--port", "0"});
        if (!m_process.waitForStarted(10000) || !waitForLine(QStringLiteral("^listening on ")))
            return false;
        url = QUrl(lines.first().mid(int(qstrlen("listening on "))));
        return url.port() > 0;
    }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    void sendSignal(int number) { ::kill(static_cast<pid_t>(m_process.processId()), number); }
    // Waits for the end: the exit code, or -1 when it crashed, was killed or went on running.
    int waitForExit()
    {
        const bool ended = m_process.waitForFinished(20000);
        read();
        return ended && m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    bool waitForLine(const QString& pattern)
    {
        const QDeadlineTimer deadline(10000);
        while (lines.filter(QRegularExpression(pattern)).isEmpty()) {
            if (deadline.hasExpired() || !isRunning())
                return false;
            m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
            read();
        }
        return true;
    }

    QUrl url;
    QStringList lines;

private:
    void read()
    {
        m_pending += m_process.readAllStandardOutput();
        for (int end; (end = m_pending.indexOf('\n')) >= 0; m_pending.remove(0, end + 1))
            lines.append(QString::fromUtf8(m_pending.left(end)));
    }

    QProcess m_process;
    QByteArray m_pending;
};

// Runs the simulator to its end: the exit code (-1 when it went on running) and all its output.
inline int runSimToExit(const QStringList& arguments, QString* output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(RAVLO_LNS_SIM_PATH), arguments);
    const bool ended = process.waitForFinished(20000);
    *output = QString::fromUtf8(process.readAll());
    return ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// A plain WebSocket client that sends text frames and reads the answers in order.
class SimClient
{
public:
    SimClient()
    {
        socket.setMaxAllowedIncomingMessageSize(256 * 1024 * 1024);
        QObject::connect(&socket, &QWebSocket::textMessageReceived,
                         [this](const QString& text) { m_received.enqueue(text); });
    }
    bool open(const QUrl& url)
    {
        QSignalSpy connected(&socket, &QWebSocket::connected);
        socket.open(url);
        return connected.wait(10000);
    }
    void sendText(const QString& text) { socket.sendTextMessage(text); }
    // The next frame from the server as an object (empty when none comes in time).
    QJsonObject next()
    {
        if (m_received.isEmpty() && !QSignalSpy(&socket, &QWebSocket::textMessageReceived).wait(10000))
            return {};
        return QJsonDocument::fromJson(m_received.dequeue().toUtf8()).object();
    }
    QJsonObject request(const QString& text)
    {
        sendText(text);
        return next();
    }
    // Logs in; returns the token ("" when refused).
    QString login(const QString& user = "operator", const QString& password = "ravlo")
    {
        const QString auth = QStringLiteral(R"({"cmd":"auth_req","login":"%1","password":"%2"})");
        return request(auth.arg(user, password)).value(Protocol::Key::token).toString();
    }
    bool waitDisconnected()
    {
        return socket.state() == QAbstractSocket::UnconnectedState ||
               QSignalSpy(&socket, &QWebSocket::disconnected).wait(10000);
    }

    QWebSocket socket;

private:
    QQueue<QString> m_received;
};

// A simulator with one client logged in as the demo user.
struct SimPeer
{
    bool start(const QStringList& options = {})
    {
        return sim.start(options) && client.open(sim.url) && !client.login().isEmpty();
    }
    SimProcess sim;
    SimClient client;
};

// Device lists are written as compact JSON with a few shorthands: "$EUI1".."$EUI9" are
// DevEUIs that start with 70B3D5, $KEY a 32-digit key, $OTAA and $ABP complete key sections,
// $SETTINGS the radio settings of the registration page's defaults.
inline QString expandDevices(QString text)
{
    QString mask;
    for (int channel = 1; channel <= 16; ++channel)
        mask += QStringLiteral("\"channel%1En\":%2,").arg(channel).arg(channel <= 8 ? "true" : "false");
    mask.chop(1);
    return text
        .replace(QStringLiteral("$SETTINGS"),
                 QStringLiteral(R"("devName":"meter","class":"CLASS_A","freqRx2":869100000,)"
                                R"("frequencyPlan":{"freq4":864100000,"freq8":864900000},"channelMask":{%1},)"
                                R"("preferDr":5,"preferPower":14,"rxWindow":1,"delayRx1":1,"drRx2":0,)"
                                R"("delayJoin1":5,"serverAdrEnable":true)")
                     .arg(mask))
        .replace(QStringLiteral("$OTAA"),
                 QStringLiteral(R"("OTAA":{"appEui":"0102030405060708","appKey":"$KEY"})"))
        .replace(QStringLiteral("$ABP"),
                 QStringLiteral(R"("ABP":{"devAddress":637606874,"appsKey":"$KEY","nwksKey":"$KEY"})"))
        .replace(QStringLiteral("$KEY"), QStringLiteral("2B7E151628AED2A6ABF7158809CF4F3C"))
        .replace(QStringLiteral("$EUI"), QStringLiteral("70B3D5FFFE00000"));
}

inline QString manageRequest(const QString& devices)
{
    return expandDevices(QStringLiteral(R"({"cmd":"manage_devices_req","devices_list":[%1]})").arg(devices));
}

// One field (the "status") of every entry of an answer's list, in order, separated by blanks.
inline QString statuses(const QJsonObject& answer, const QString& listKey = Protocol::Key::deviceAddStatus,
                        const QString& field = Protocol::Key::status)
{
    QStringList words;
    for (const QJsonValue& entry : answer.value(listKey).toArray())
        words.append(entry[field].toVariant().toString());
    return words.join(QLatin1Char(' '));
}
