#include "SimTestSupport.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QtTest>

namespace K = Protocol::Key;

SimProcess::SimProcess(QObject* parent) : QObject(parent)
{
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &SimProcess::readOutput);
    connect(&m_process, &QProcess::readyReadStandardError, this,
            [this] { m_errors += QString::fromUtf8(m_process.readAllStandardError()); });
}

SimProcess::~SimProcess()
{
    stop();
}

QString SimProcess::programPath()
{
    return QStringLiteral(RAVLO_LNS_SIM_PATH);
}

void SimProcess::readOutput()
{
    m_pending += m_process.readAllStandardOutput();
    int end = -1;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        m_lines.append(QString::fromUtf8(m_pending.left(end)));
        m_pending.remove(0, end + 1);
    }
}

bool SimProcess::waitForLine(const QRegularExpression& pattern, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    int checked = 0;
    while (true) {
        for (; checked < m_lines.size(); ++checked) {
            if (pattern.match(m_lines.at(checked)).hasMatch())
                return true;
        }
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return false;
        m_process.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
        readOutput();
    }
}

bool SimProcess::start(const QStringList& arguments)
{
    m_lines.clear();
    m_errors.clear();
    m_pending.clear();
    m_process.start(programPath(), arguments + QStringList{QStringLiteral("--port"), QStringLiteral("0")});
    if (!m_process.waitForStarted(5000))
        return false;
    static const QRegularExpression listening(QStringLiteral("^listening on (wss?://\\S+)$"));
    if (!waitForLine(listening))
        return false;
    const QRegularExpressionMatch match = listening.match(m_lines.first());
    if (!match.hasMatch()) // the address must be the very first line
        return false;
    m_url = QUrl(match.captured(1));
    return m_url.isValid() && m_url.port() > 0;
}

int SimProcess::runToExit(const QStringList& arguments, QString* standardOutput, QString* standardError)
{
    QProcess process;
    process.start(programPath(), arguments);
    if (!process.waitForFinished(10000))
        return -1;
    *standardOutput = QString::fromUtf8(process.readAllStandardOutput());
    *standardError = QString::fromUtf8(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool SimProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return true;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    readOutput();
    return m_process.state() == QProcess::NotRunning;
}

SimClient::SimClient(QObject* parent) : QObject(parent)
{
    m_socket.setMaxAllowedIncomingFrameSize(256 * 1024 * 1024);
    m_socket.setMaxAllowedIncomingMessageSize(256 * 1024 * 1024);
    connect(&m_socket, &QWebSocket::textMessageReceived, this,
            [this](const QString& text) { m_received.enqueue(text); });
}

bool SimClient::open(const QUrl& url)
{
    QSignalSpy connected(&m_socket, &QWebSocket::connected);
    m_socket.open(url);
    return connected.count() > 0 || connected.wait(5000);
}

void SimClient::send(const QJsonObject& message)
{
    sendText(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
}

void SimClient::sendText(const QString& text)
{
    m_socket.sendTextMessage(text);
}

QJsonObject SimClient::next(int timeoutMs)
{
    if (m_received.isEmpty()) {
        QSignalSpy spy(&m_socket, &QWebSocket::textMessageReceived);
        if (!spy.wait(timeoutMs) && m_received.isEmpty())
            return {};
    }
    return QJsonDocument::fromJson(m_received.dequeue().toUtf8()).object();
}

QJsonObject SimClient::request(const QJsonObject& message)
{
    send(message);
    return next();
}

QString SimClient::login(const QString& user, const QString& password)
{
    const QJsonObject answer =
        request({{K::cmd, Protocol::Cmd::authReq}, {K::login, user}, {K::password, password}});
    return answer.value(K::status).toBool() ? answer.value(K::token).toString() : QString();
}

bool SimClient::waitDisconnected(int timeoutMs)
{
    if (m_socket.state() == QAbstractSocket::UnconnectedState)
        return true;
    QSignalSpy disconnected(&m_socket, &QWebSocket::disconnected);
    return disconnected.wait(timeoutMs) || m_socket.state() == QAbstractSocket::UnconnectedState;
}

namespace SimDevices {

QJsonObject otaa(const QString& devEui, const QString& eui, const QString& key)
{
    return {{K::devEui, devEui}, {K::otaa, QJsonObject{{K::appEui, eui}, {K::appKey, key}}}};
}

QJsonObject abp(const QString& devEui, double devAddress, const QString& appsKey, const QString& nwksKey)
{
    return {{K::devEui, devEui},
            {K::abp, QJsonObject{{K::devAddress, devAddress}, {K::appsKey, appsKey}, {K::nwksKey, nwksKey}}}};
}

QJsonObject withSettings(QJsonObject device)
{
    QJsonObject mask;
    for (int channel = 1; channel <= 16; ++channel)
        mask.insert(K::channelEn(channel), channel <= 8);
    device.insert(K::devName, device.value(K::devEui).toString());
    device.insert(K::devClass, Protocol::DeviceClass::classA);
    device.insert(K::frequencyPlan, QJsonObject{{K::freq4, 864100000},
                                                {K::freq5, 864300000},
                                                {K::freq6, 864500000},
                                                {K::freq7, 864700000},
                                                {K::freq8, 864900000}});
    device.insert(K::freqRx2, 869100000);
    device.insert(K::channelMask, mask);
    device.insert(K::preferDr, 5);
    device.insert(K::preferPower, 14);
    device.insert(K::rxWindow, 1);
    device.insert(K::delayRx1, 1);
    device.insert(K::drRx2, 0);
    device.insert(K::delayJoin1, 5);
    device.insert(K::serverAdrEnable, true);
    return device;
}

QJsonObject manage(const QJsonArray& devices)
{
    return {{K::cmd, Protocol::Cmd::manageDevicesReq}, {K::devicesList, devices}};
}

QJsonObject get(const QStringList& devEuis)
{
    return {{K::cmd, Protocol::Cmd::getDevicesReq},
            {K::select, QJsonObject{{K::devEuiList, QJsonArray::fromStringList(devEuis)}}}};
}

QStringList statuses(const QJsonObject& answer, const QString& arrayKey)
{
    QStringList result;
    for (const QJsonValue& entry : answer.value(arrayKey).toArray())
        result.append(entry.toObject().value(K::status).toVariant().toString());
    return result;
}

} // namespace SimDevices
