#include "SimRequestHandler.h"

#include "DeviceStore.h"
#include "FrameLog.h"
#include "JsonInput.h"
#include "RegistrationRules.h"
#include "SimVocabulary.h"
#include "server/Protocol.h"

#include <QJsonArray>
#include <QRandomGenerator>

namespace {
namespace Cmd = Protocol::Cmd;
namespace K = Protocol::Key;
namespace S = Protocol::Status;
namespace V = SimVocabulary;

constexpr int maxCmdLengthInLog = 64;
constexpr int maxDownlinkBytes = 242;
constexpr int maxDownlinkPort = 223;
// Downlinks wait for the device's next uplink; a client cannot make the queue grow without end.
constexpr int maxQueuedDownlinks = 32;

QString freshToken()
{
    quint64 words[2];
    QRandomGenerator::system()->fillRange(words);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex());
}

QString responseCmd(const QString& requestCmd)
{
    QString cmd = requestCmd;
    cmd.chop(4); // "_req"
    return cmd + QStringLiteral("_resp");
}

QJsonObject reply(const QString& cmd, bool status, const QString& errString = QString())
{
    return QJsonObject{{K::cmd, cmd}, {K::status, status}, {K::errString, errString}};
}

bool isKnownRequest(const QString& cmd)
{
    static const QStringList requests{
        Cmd::authReq,       Cmd::closeAuthReq,     Cmd::serverInfoReq, Cmd::manageDevicesReq,
        Cmd::getDevicesReq, Cmd::deleteDevicesReq, Cmd::sendDataReq,   Cmd::manageDeviceAppdataReq};
    return requests.contains(cmd);
}

bool validDownlinkPort(const QJsonValue& port)
{
    if (port.isString()) {
        bool ok = false;
        const int number = port.toString().trimmed().toInt(&ok, 10);
        return ok && number >= 1 && number <= maxDownlinkPort;
    }
    return RegistrationRules::isIntegral(port, 1, maxDownlinkPort);
}

int downlinkPort(const QJsonValue& port)
{
    return port.isString() ? port.toString().trimmed().toInt() : port.toInt();
}

bool validPayload(const QJsonValue& data)
{
    const QString text = data.toString(QStringLiteral("-"));
    return text.size() % 2 == 0 && text.size() <= 2 * maxDownlinkBytes &&
           RegistrationRules::isHex(text, text.size());
}

bool validAppData(const QJsonValue& element, const DeviceStore& store)
{
    const QJsonObject appData = element.toObject();
    const QString devEui = appData.value(K::devEui).toString();
    if (!element.isObject() || !RegistrationRules::isHex(devEui, RegistrationRules::euiDigits) ||
        !store.find(devEui))
        return false;
    const auto otherInfo = appData.constFind(V::Key::otherInfo1);
    if (otherInfo == appData.constEnd())
        return true;
    return otherInfo.value().isString() &&
           JsonInput::parseObject(otherInfo.value().toString().toUtf8()).has_value();
}
} // namespace

SimRequestHandler::SimRequestHandler(const SimConfig& config, DeviceStore& store, FrameLog& log)
    : m_config(config), m_store(store), m_log(log)
{
}

QJsonObject SimRequestHandler::errorReply(const QString& errString)
{
    return reply(V::Cmd::error, false, errString);
}

ParsedFrame SimRequestHandler::parseFrame(const QByteArray& utf8)
{
    ParsedFrame frame;
    const std::optional<QJsonObject> request = JsonInput::parseObject(utf8, &frame.problem);
    if (!request) {
        frame.errorReply = errorReply(V::Error::invalidJson);
        return frame;
    }
    frame.request = *request;
    const QJsonValue cmd = frame.request.value(K::cmd);
    if (!cmd.isString() || cmd.toString().isEmpty()) {
        frame.problem = QStringLiteral("no \"cmd\" text");
        frame.errorReply = errorReply(V::Error::missingCmd);
        return frame;
    }
    frame.cmd = cmd.toString();
    if (!isKnownRequest(frame.cmd)) {
        frame.problem = QStringLiteral("unknown command");
        frame.errorReply = errorReply(V::Error::unknownCmd);
    }
    if (frame.cmd.size() > maxCmdLengthInLog)
        frame.cmd = frame.cmd.left(maxCmdLengthInLog) + QStringLiteral("…");
    return frame;
}

SimReply SimRequestHandler::handle(const QJsonObject& request, const QString& cmd, SimSession& session)
{
    if (cmd == Cmd::authReq)
        return authorize(request, session);
    if (!session.loggedIn())
        return reply(responseCmd(cmd), false, V::Error::notAuthorized);
    if (cmd == Cmd::closeAuthReq)
        return closeAuthorization(request, session);
    if (cmd == Cmd::serverInfoReq)
        return serverInfo();
    if (cmd == Cmd::manageDevicesReq)
        return manageDevices(request, session);
    if (cmd == Cmd::getDevicesReq)
        return getDevices(request);
    if (cmd == Cmd::deleteDevicesReq)
        return deleteDevices(request, session);
    if (cmd == Cmd::manageDeviceAppdataReq)
        return manageAppData(request, session);
    if (cmd == Cmd::sendDataReq)
        return sendData(request, session);
    return errorReply(V::Error::unknownCmd);
}

QJsonObject SimRequestHandler::authorize(const QJsonObject& request, SimSession& session)
{
    const QJsonValue login = request.value(K::login);
    const QJsonValue password = request.value(K::password);
    const auto user = m_config.users.constFind(login.toString());
    const bool accepted = login.isString() && password.isString() && user != m_config.users.constEnd() &&
                          user.value() == password.toString();
    QJsonObject answer = reply(Cmd::authResp, accepted, accepted ? QString() : S::invalidLoginOrPassword);
    if (!accepted) {
        if (session.loggedIn())
            m_log.event(session.id,
                        QStringLiteral("login of \"%1\" ended by a refused login").arg(session.login));
        session = SimSession{session.id, {}, {}};
        m_log.event(session.id, QStringLiteral("login refused for \"%1\"").arg(login.toString().left(64)));
        answer.insert(K::token, QString());
        answer.insert(K::deviceAccess, QString());
        return answer;
    }
    session.login = login.toString();
    session.token = freshToken();
    m_log.event(session.id, QStringLiteral("logged in as \"%1\"").arg(session.login));
    answer.insert(K::token, session.token);
    answer.insert(K::deviceAccess, V::fullDeviceAccess);
    return answer;
}

QJsonObject SimRequestHandler::closeAuthorization(const QJsonObject& request, SimSession& session)
{
    if (request.value(K::token).toString() != session.token)
        return reply(Cmd::closeAuthResp, false, V::Error::invalidToken);
    m_log.event(session.id, QStringLiteral("logged out \"%1\"").arg(session.login));
    session = SimSession{session.id, {}, {}};
    return reply(Cmd::closeAuthResp, true);
}

QJsonObject SimRequestHandler::serverInfo() const
{
    const int qelt = m_store.countWithPrefix(m_config.qeltPrefix);
    QJsonObject answer = reply(Cmd::serverInfoResp, true);
    answer.insert(K::deviceCount,
                  QJsonObject{{K::deviceCountQelt, qelt}, {K::deviceCountOther, m_store.count() - qelt}});
    return answer;
}

QJsonObject SimRequestHandler::manageDevices(const QJsonObject& request, const SimSession& session)
{
    const QJsonValue list = request.value(K::devicesList);
    if (!list.isUndefined() && !list.isArray()) {
        QJsonObject answer = reply(Cmd::manageDevicesResp, false, V::Error::invalidRequest);
        answer.insert(K::deviceAddStatus, QJsonArray());
        return answer;
    }
    const QJsonArray devices = list.toArray();
    QVector<QJsonObject> statuses;
    statuses.reserve(devices.size());
    QVector<int> changed;
    m_store.beginChanges();
    for (const QJsonValue& element : devices) {
        const RegistrationRules::DeviceRequest device = RegistrationRules::readDeviceRequest(element);
        RegistrationRules::StoreView view;
        if (device.rejection.isEmpty()) {
            view.stored = m_store.find(device.devEui);
            if (device.keys.hasAbp)
                view.devAddrOwner = m_store.devAddrOwner(device.keys.devAddress);
            view.deviceCount = m_store.count();
            view.maxDevices = m_config.maxDevices;
        }
        const RegistrationRules::Decision decision = RegistrationRules::decide(device, view);
        if (decision.changesStore()) {
            m_store.put(device.devEui, decision.device);
            changed.append(statuses.size());
        }
        statuses.append(QJsonObject{{K::devEui, device.echoEui}, {K::status, decision.status}});
    }
    QString error;
    const bool stored = m_store.commitChanges(&error);
    if (!stored) {
        m_log.event(session.id, QStringLiteral("database write failed, nothing kept: %1").arg(error));
        for (int index : changed)
            statuses[index].insert(K::status, V::Status::storageError);
    }
    QJsonArray array;
    for (const QJsonObject& status : statuses)
        array.append(status);
    QJsonObject answer = reply(Cmd::manageDevicesResp, stored, stored ? QString() : V::Error::storage);
    answer.insert(K::deviceAddStatus, array);
    return answer;
}

SimReply SimRequestHandler::getDevices(const QJsonObject& request) const
{
    QStringList devices;
    const auto select = request.constFind(K::select);
    if (select == request.constEnd()) {
        devices = m_store.texts();
    } else {
        const QJsonValue list = select.value().toObject().value(K::devEuiList);
        if (!list.isArray()) {
            QJsonObject answer = reply(Cmd::getDevicesResp, false, V::Error::invalidRequest);
            answer.insert(K::devicesList, QJsonArray());
            return answer;
        }
        QSet<QString> listed;
        for (const QJsonValue& devEui : list.toArray()) {
            const QString key = devEui.toString().toUpper();
            if (listed.contains(key))
                continue;
            listed.insert(key);
            const QString text = m_store.text(key);
            if (!text.isNull())
                devices.append(text);
        }
    }
    // The store keeps every device's text ready: a long list is copied, not written anew.
    return SimReply::withArray(reply(Cmd::getDevicesResp, true), K::devicesList, devices);
}

QJsonObject SimRequestHandler::deleteDevices(const QJsonObject& request, const SimSession& session)
{
    const QJsonValue list = request.value(K::devicesList);
    if (!list.isArray()) {
        QJsonObject answer = reply(Cmd::deleteDevicesResp, false, V::Error::invalidRequest);
        answer.insert(K::deviceDeleteStatus, QJsonArray());
        return answer;
    }
    QVector<QJsonObject> statuses;
    QStringList removed;
    m_store.beginChanges();
    for (const QJsonValue& element : list.toArray()) {
        const QString devEui = element.toString();
        QString status = S::deleted;
        if (!RegistrationRules::isHex(devEui, RegistrationRules::euiDigits)) {
            status = S::invalidDevEui;
        } else if (!m_store.remove(devEui)) {
            status = V::Status::notFound;
        } else {
            removed.append(devEui.toUpper());
        }
        statuses.append(QJsonObject{{K::devEui, devEui}, {K::status, status}});
    }
    QString error;
    const bool stored = m_store.commitChanges(&error);
    QJsonArray array;
    for (QJsonObject& status : statuses) {
        if (!stored && status.value(K::status).toString() == S::deleted)
            status.insert(K::status, V::Status::storageError);
        array.append(status);
    }
    if (stored) {
        for (const QString& devEui : removed)
            m_downlinks.remove(devEui);
    } else {
        m_log.event(session.id, QStringLiteral("database write failed, nothing deleted: %1").arg(error));
    }
    QJsonObject answer = reply(Cmd::deleteDevicesResp, stored, stored ? QString() : V::Error::storage);
    answer.insert(K::deviceDeleteStatus, array);
    return answer;
}

QJsonObject SimRequestHandler::manageAppData(const QJsonObject& request, const SimSession& session)
{
    const QJsonValue list = request.value(K::dataList);
    if (!list.isArray()) {
        QJsonObject answer = reply(Cmd::manageDeviceAppdataResp, false, V::Error::invalidRequest);
        answer.insert(K::updateStatus, QJsonArray());
        return answer;
    }
    QVector<QPair<QString, bool>> results;
    m_store.beginChanges();
    for (const QJsonValue& element : list.toArray()) {
        const bool valid = validAppData(element, m_store);
        const QString devEui = element.toObject().value(K::devEui).toString();
        if (valid)
            m_store.putAppData(devEui, element.toObject());
        results.append({devEui, valid});
    }
    QString error;
    const bool stored = m_store.commitChanges(&error);
    if (!stored)
        m_log.event(session.id,
                    QStringLiteral("database write failed, no application data kept: %1").arg(error));
    QJsonArray array;
    for (const auto& result : results)
        array.append(QJsonObject{{K::devEui, result.first}, {K::status, stored && result.second}});
    QJsonObject answer = reply(Cmd::manageDeviceAppdataResp, stored, stored ? QString() : V::Error::storage);
    answer.insert(K::updateStatus, array);
    return answer;
}

QJsonObject SimRequestHandler::sendData(const QJsonObject& request, const SimSession& session)
{
    const QJsonValue list = request.value(K::dataList);
    if (!list.isArray()) {
        QJsonObject answer = reply(V::Cmd::sendDataResp, false, V::Error::invalidRequest);
        answer.insert(V::Key::sendStatus, QJsonArray());
        return answer;
    }
    QJsonArray statuses;
    for (const QJsonValue& element : list.toArray()) {
        const QJsonObject downlink = element.toObject();
        const QString devEui = downlink.value(K::devEui).toString();
        QString status = V::Status::queued;
        if (!element.isObject() || !RegistrationRules::isHex(devEui, RegistrationRules::euiDigits))
            status = S::invalidDevEui;
        else if (!m_store.find(devEui))
            status = V::Status::notFound;
        else if (!validDownlinkPort(downlink.value(K::port)))
            status = V::Status::invalidPort;
        else if (!validPayload(downlink.value(K::data)))
            status = V::Status::invalidData;
        else if (m_downlinks.value(devEui.toUpper()).size() >= maxQueuedDownlinks)
            status = V::Status::queueFull;
        if (status == V::Status::queued) {
            const QJsonObject queued{{K::devEui, devEui.toUpper()},
                                     {K::port, downlinkPort(downlink.value(K::port))},
                                     {K::data, downlink.value(K::data).toString().toUpper()},
                                     {K::ack, downlink.value(K::ack).toBool()}};
            m_downlinks[devEui.toUpper()].enqueue(queued);
            m_log.event(session.id, QStringLiteral("downlink queued devEui=%1 port=%2 ack=%3 data=%4")
                                        .arg(devEui.toUpper())
                                        .arg(queued.value(K::port).toInt())
                                        .arg(queued.value(K::ack).toBool() ? QStringLiteral("true")
                                                                           : QStringLiteral("false"))
                                        .arg(queued.value(K::data).toString()));
        }
        statuses.append(QJsonObject{{K::devEui, devEui}, {K::status, status}});
    }
    QJsonObject answer = reply(V::Cmd::sendDataResp, true);
    answer.insert(V::Key::sendStatus, statuses);
    return answer;
}

std::optional<QJsonObject> SimRequestHandler::takeDownlink(const QString& devEui)
{
    const auto it = m_downlinks.find(devEui.toUpper());
    if (it == m_downlinks.end() || it->isEmpty())
        return std::nullopt;
    const QJsonObject downlink = it->dequeue();
    if (it->isEmpty())
        m_downlinks.erase(it);
    return downlink;
}
