#include "server/CMessageParser.h"

#include "foundation/DebugLog.h"
#include "foundation/JsonGuard.h"
#include "server/CServerClient.h"
#include "server/DeviceKeyRules.h"
#include "server/FrameCommand.h"
#include "server/FrequencyPlans.h"
#include "server/JsonText.h"
#include "server/LargeFrameReader.h"
#include "server/ManageDevicesText.h"
#include "server/Protocol.h"

#include <QMutex>
#include <QMutexLocker>

#include <cmath>
#include <memory>

namespace {
CMessageParser* g_parser = nullptr;
QMutex g_parserMutex;

// The start of a long frame, enough to recognise it in the log, with its size.
QString excerpt(const QByteArray& utf8)
{
    constexpr int maxLogged = 256;
    if (utf8.size() <= maxLogged)
        return QString::fromUtf8(utf8);
    return QString::fromUtf8(utf8.left(maxLogged)) + QStringLiteral("... (%1 bytes)").arg(utf8.size());
}

// The frame as one JSON object, or false (with the reason in the log) when it is not one.
bool parseObject(const QString& msg, QJsonObject& object)
{
    return CMessageParser::parseFrame(msg.toUtf8(), object);
}

} // namespace

CMessageParser* CMessageParser::instance(QObject* parent)
{
    if (!g_parser) {
        QMutexLocker lock(&g_parserMutex);
        if (!g_parser)
            g_parser = new CMessageParser(parent);
    }
    return g_parser;
}

CMessageParser::CMessageParser(QObject* parent) : QObject(parent)
{
    qRegisterMetaType<ServerDeviceRows>("ServerDeviceRows");
    // Large frames are read one after the other, never two at once: each may take several
    // times its size in memory while it is read.
    m_readers.setMaxThreadCount(1);
}

CMessageParser::~CMessageParser()
{
    // A frame still being read posts its result to this object; it must not outlive it.
    m_readers.waitForDone();
}

CMessageParser::FrameCheck CMessageParser::checkFrame(const QByteArray& utf8, QJsonObject& object)
{
    const RepeatedJsonKey repeated = JsonGuard::findRepeatedKey(utf8);
    if (repeated.found) {
        DEBUG_LOG << "frame refused," << repeated.description() << "(" << utf8.size() << "bytes)";
        return FrameCheck::repeatedKey;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(utf8, &error);
    if (error.error != QJsonParseError::NoError) {
        DEBUG_LOG << "Json parsing error[" + QString::number(error.error) + "], offset[" +
                         QString::number(error.offset) + "]";
        return FrameCheck::malformed;
    }
    if (document.isArray()) {
        DEBUG_LOG << "jsonDoc is an array -> " << excerpt(utf8);
        return FrameCheck::malformed;
    }
    if (document.isNull()) {
        DEBUG_LOG << "failed to create to JSON doc ->" << excerpt(utf8);
        return FrameCheck::malformed;
    }
    if (!document.isObject()) {
        DEBUG_LOG << "json doc is not an object";
        return FrameCheck::malformed;
    }
    object = document.object();
    return FrameCheck::accepted;
}

bool CMessageParser::parseFrame(const QByteArray& utf8, QJsonObject& object)
{
    return checkFrame(utf8, object) == FrameCheck::accepted;
}

void CMessageParser::setLargeFrameSize(int characters)
{
    m_largeFrameSize = characters;
}

void CMessageParser::connectClientToParser()
{
    QObject::connect(CServerClient::instance(), &QWebSocket::textMessageReceived, instance(),
                     &CMessageParser::frameArrived,
                     Qt::ConnectionType(Qt::DirectConnection | Qt::UniqueConnection));
    QObject::connect(CServerClient::instance(), &CServerClient::clientStateChanged, instance(),
                     &CMessageParser::onClientStateChanged, Qt::UniqueConnection);
}

void CMessageParser::onClientStateChanged(EClientStates state)
{
    if (state == EClientStates::ready)
        return;
    if (!m_pendingQueries.isEmpty() || !m_pendingManages.isEmpty())
        DEBUG_LOG << "login ended, unanswered requests dropped:" << m_pendingQueries.size()
                  << "device queries," << m_pendingManages.size() << "registrations";
    m_pendingQueries.clear();
    m_pendingManages.clear();
}

bool CMessageParser::sendWhenReady(const QString& text)
{
    CServerClient* client = CServerClient::instance();
    if (client->clientState() != EClientStates::ready) {
        DEBUG_LOG << "not sent, the client is not logged in (" << text.size() << "characters)";
        return false;
    }
    return !client->sendMessage(text); // sendMessage answers true for a failed send
}

// ---- request texts -------------------------------------------------------------------------

QString CMessageParser::authRequest(const QString& login, const QString& password)
{
    return compactJsonText({{Protocol::Key::cmd, Protocol::Cmd::authReq},
                            {Protocol::Key::login, login},
                            {Protocol::Key::password, password}});
}

QString CMessageParser::serverInfoRequest()
{
    return compactJsonText({{Protocol::Key::cmd, Protocol::Cmd::serverInfoReq}});
}

QString CMessageParser::closeAuthRequest(const QString& token)
{
    return compactJsonText(
        {{Protocol::Key::cmd, Protocol::Cmd::closeAuthReq}, {Protocol::Key::token, token}});
}

QString CMessageParser::getDevicesRequest(const QStringList& devEuis)
{
    const QJsonObject select{{Protocol::Key::devEuiList, QJsonArray::fromStringList(devEuis)}};
    return compactJsonText(
        {{Protocol::Key::cmd, Protocol::Cmd::getDevicesReq}, {Protocol::Key::select, select}});
}

bool CMessageParser::formDeviceJson(const LoRaDevice& regDevInfo, QJsonArray& out)
{
    using namespace DeviceKeyRules;
    // Which groups of keys the device object carries follows from its credentials: a device
    // read back from the server with both kinds is a settings update without key material,
    // a device with neither (a scan or a file line) is a first registration with everything.
    bool neither = false;
    bool withClassCAndMask = false;
    bool withAbp = false;
    bool withOtaa = false;
    if (regDevInfo.existOTAA() && !regDevInfo.existABP()) {
        DEBUG_LOG << "if (regDevInfo.existOTAA() && !regDevInfo.existABP())";
        withOtaa = true;
    } else if (regDevInfo.existABP() && !regDevInfo.existOTAA()) {
        DEBUG_LOG << "if (regDevInfo.existABP() && !regDevInfo.existOTAA())";
        withAbp = true;
    } else if (regDevInfo.existOTAA() && regDevInfo.existABP()) {
        DEBUG_LOG << "if ( regDevInfo.existOTAA() && regDevInfo.existABP() )";
        DEBUG_LOG << "name: " << regDevInfo.devName;
        DEBUG_LOG << "class: " << regDevInfo.devClass;
        withClassCAndMask = true;
    } else {
        DEBUG_LOG << "else";
        neither = withClassCAndMask = withAbp = withOtaa = true;
    }

    QJsonObject device;
    device.insert(Protocol::Key::devEui, regDevInfo.devEui);
    if (!regDevInfo.devName.isEmpty() || neither)
        device.insert(Protocol::Key::devName, regDevInfo.devName);
    if (!regDevInfo.devClass.isEmpty())
        device.insert(Protocol::Key::devClass, regDevInfo.devClass);

    if (withClassCAndMask) {
        if (isChosenNumber(regDevInfo.reactionTime))
            device.insert(Protocol::Key::reactionTime, regDevInfo.reactionTime);
        if (isGateOpen(regDevInfo.classCGate))
            device.insert(Protocol::Key::useDownlinkQueueClassC, regDevInfo.useDownlinkQueueClassC);
    }

    QJsonObject plan;
    for (int channel = 4; channel <= 8; ++channel) {
        if (isChosenNumber(regDevInfo.freq(channel)))
            plan.insert(Protocol::Key::freq(channel), regDevInfo.freq(channel));
    }
    if (!plan.isEmpty() || neither)
        device.insert(Protocol::Key::frequencyPlan, plan);
    if (isChosenNumber(regDevInfo.freqRx2))
        device.insert(Protocol::Key::freqRx2, regDevInfo.freqRx2);

    if (withClassCAndMask) {
        QJsonObject mask;
        for (int i = 0; i < int(regDevInfo.channelEn.size()); ++i)
            mask.insert(Protocol::Key::channelEn(i + 1), regDevInfo.channelEn[size_t(i)]);
        device.insert(Protocol::Key::channelMask, mask);
    }

    if (isChosenNumber(regDevInfo.preferDr))
        device.insert(Protocol::Key::preferDr, regDevInfo.preferDr);
    if (isChosenNumber(regDevInfo.preferPower))
        device.insert(Protocol::Key::preferPower, regDevInfo.preferPower);
    if (isNotMinusOne(regDevInfo.rxWindow))
        device.insert(Protocol::Key::rxWindow, regDevInfo.rxWindow);
    if (isNotMinusOne(regDevInfo.delayRx1))
        device.insert(Protocol::Key::delayRx1, regDevInfo.delayRx1);
    if (isNotMinusOne(regDevInfo.drRx2))
        device.insert(Protocol::Key::drRx2, regDevInfo.drRx2);
    if (isNotMinusOne(regDevInfo.delayJoin1))
        device.insert(Protocol::Key::delayJoin1, regDevInfo.delayJoin1);

    QJsonObject position;
    if (isChosenCoordinate(regDevInfo.longitude))
        position.insert(Protocol::Key::longitude, regDevInfo.longitude);
    if (isChosenCoordinate(regDevInfo.latitude))
        position.insert(Protocol::Key::latitude, regDevInfo.latitude);
    if (isNotMinusOne(regDevInfo.altitude))
        position.insert(Protocol::Key::altitude, regDevInfo.altitude);
    if (!position.isEmpty())
        device.insert(Protocol::Key::position, position);

    if (withAbp) {
        QJsonObject abp;
        // The DevAddr travels as the whole unsigned number (qint64 keeps values above 2^31 exact).
        if (isAssignedAddress(regDevInfo.devAddress))
            abp.insert(Protocol::Key::devAddress, qint64(regDevInfo.devAddress));
        if (!regDevInfo.appsKey.isEmpty())
            abp.insert(Protocol::Key::appsKey, regDevInfo.appsKey);
        if (!regDevInfo.nwksKey.isEmpty())
            abp.insert(Protocol::Key::nwksKey, regDevInfo.nwksKey);
        if (!abp.isEmpty())
            device.insert(Protocol::Key::abp, abp);
    }
    if (withOtaa) {
        device.insert(Protocol::Key::otaa, QJsonObject{{Protocol::Key::appEui, regDevInfo.appEui},
                                                       {Protocol::Key::appKey, regDevInfo.appKey}});
    }

    device.insert(Protocol::Key::serverAdrEnable, regDevInfo.serverAdrEnable);
    out.append(device);
    return true;
}

// ---- request senders -----------------------------------------------------------------------

void CMessageParser::getDevReq(LoRaDevice lastInfo)
{
    m_viewedDevEui = lastInfo.devEui;
    sendDeviceQuery(lastInfo.devEui);
}

void CMessageParser::sendDeviceQuery(const QString& devEui)
{
    // A query for no device would be answered with every device of the server.
    if (devEui.isEmpty()) {
        DEBUG_LOG << "no DevEUI to ask for, nothing sent";
        return;
    }
    const QString request = getDevicesRequest(QStringList{devEui});
    if (sendWhenReady(request))
        m_pendingQueries.enqueue({false, devEui});
    DEBUG_LOG << request;
}

void CMessageParser::getDevicesListReq()
{
    if (sendWhenReady(compactJsonText({{Protocol::Key::cmd, Protocol::Cmd::getDevicesReq}})))
        m_pendingQueries.enqueue({true, QString()});
}

void CMessageParser::mngDevReq(LoRaDevice regDevInfo)
{
    DEBUG_LOG << "Формирую запрос на регистрацию устройства / обновление данных";
    DEBUG_LOG << "exist ABP: " << (regDevInfo.existABP() ? "true" : "false");
    DEBUG_LOG << "exist OTAA: " << (regDevInfo.existOTAA() ? "true" : "false");
    QJsonArray list;
    formDeviceJson(regDevInfo, list);
    if (!sendWhenReady(compactJsonText(
            {{Protocol::Key::cmd, Protocol::Cmd::manageDevicesReq}, {Protocol::Key::devicesList, list}})))
        return;
    m_pendingManages.enqueue({false, regDevInfo.devEui});
    DEBUG_LOG << "Запрос отправлен";
}

void CMessageParser::mngDevsReq(QVector<LoRaDevice> devices)
{
    sendDevicesList(devices, true);
}

bool CMessageParser::sendDevicesList(const QVector<LoRaDevice>& devices, bool refreshCounters)
{
    DEBUG_LOG << "Формирую запрос на регистрацию устройства / обновление данных";
    // Written straight from the records: the same text formDeviceJson and Qt would make.
    const QString text = ManageDevicesText::request(devices);
    DEBUG_LOG << "manage_devices_req:" << devices.size() << "devices," << text.size() << "characters";
    if (!sendWhenReady(text))
        return false;
    PendingManage sent;
    sent.list = true;
    sent.refreshCounters = refreshCounters;
    m_pendingManages.enqueue(sent);
    DEBUG_LOG << "Запрос отправлен";
    return true;
}

void CMessageParser::manageAppdataReq(QVector<QJsonDocument> pulseData)
{
    DEBUG_LOG << "Формирую запрос на добавление аттрибутов к устройству";
    QJsonArray list;
    for (const QJsonDocument& document : pulseData)
        list.append(document.object());
    CServerClient::instance()->sendMessage(compactJsonText(
        {{Protocol::Key::cmd, Protocol::Cmd::manageDeviceAppdataReq}, {Protocol::Key::dataList, list}}));
    DEBUG_LOG << "Запрос отправлен";
}

void CMessageParser::testAppdata() {}

// ---- checking and dispatch -----------------------------------------------------------------

void CMessageParser::processReceivedMessage(QString msg)
{
    receiveFrame(msg, CServerClient::instance()->connectionNumber());
}

void CMessageParser::frameArrived(const QString& msg)
{
    // Stamped now, handled later: the operator may have connected elsewhere in between.
    const quint64 connection = CServerClient::instance()->connectionNumber();
    QMetaObject::invokeMethod(
        this, [this, msg, connection] { receiveFrame(msg, connection); }, Qt::QueuedConnection);
}

bool CMessageParser::isOfEndedConnection(quint64 connection)
{
    if (connection == CServerClient::instance()->connectionNumber())
        return false;
    DEBUG_LOG << "frame of an ended connection dropped";
    return true;
}

void CMessageParser::receiveFrame(const QString& msg, quint64 connection)
{
    if (isOfEndedConnection(connection))
        return;
    // Answers are handled in the order they arrived: a frame that comes while a large one is
    // still being read waits for it.
    if (msg.size() >= m_largeFrameSize) {
        readLargeFrame(msg, connection);
        return;
    }
    if (!m_inbox.isEmpty()) {
        m_inbox.enqueue(Inbound{0, msg, true, nullptr, connection});
        return;
    }
    handleFrameText(msg);
}

void CMessageParser::readLargeFrame(const QString& msg, quint64 connection)
{
    const quint64 job = ++m_lastJob;
    DEBUG_LOG << "large frame received:" << msg.size() << "characters, read off the GUI thread";
    m_inbox.enqueue(Inbound{job, QString(), false, nullptr, connection});
    // The destructor waits for the task, so the parser outlives it. The task shares the text
    // (no copy) and hands it on with the result; its memory goes once the answer is handled.
    m_readers.start([this, job, text = msg]() mutable {
        std::shared_ptr<const LargeFrame> frame =
            std::make_shared<LargeFrame>(LargeFrameReader::read(std::move(text)));
        QMetaObject::invokeMethod(
            this, [this, job, frame] { largeFrameRead(job, frame); }, Qt::QueuedConnection);
    });
}

void CMessageParser::largeFrameRead(quint64 job, std::shared_ptr<const LargeFrame> frame)
{
    for (Inbound& inbound : m_inbox) {
        if (inbound.job == job) {
            inbound.frame = frame;
            inbound.ready = true;
            break;
        }
    }
    while (!m_inbox.isEmpty() && m_inbox.head().ready) {
        const Inbound inbound = m_inbox.dequeue();
        if (isOfEndedConnection(inbound.connection))
            continue;
        if (inbound.job == 0)
            handleFrameText(inbound.text);
        else
            handleLargeFrame(*inbound.frame);
    }
}

void CMessageParser::handleLargeFrame(const LargeFrame& frame)
{
    switch (frame.kind) {
    case LargeFrame::Kind::dropped:
        break;
    case LargeFrame::Kind::refused:
        forgetRequestOfRefused(frame.command);
        break;
    case LargeFrame::Kind::object:
        handleFrameObject(frame.object);
        break;
    case LargeFrame::Kind::deviceList:
        handleDeviceRows(frame);
        break;
    }
}

void CMessageParser::handleFrameText(const QString& msg)
{
    // Each frame is parsed once here; the handlers work on the parsed object.
    const QByteArray utf8 = msg.toUtf8();
    QJsonObject object;
    switch (checkFrame(utf8, object)) {
    case FrameCheck::accepted:
        handleFrameObject(object);
        break;
    case FrameCheck::repeatedKey:
        forgetRequestOfRefused(FrameCommand::of(utf8));
        break;
    case FrameCheck::malformed:
        break;
    }
}

void CMessageParser::forgetRequestOfRefused(const QString& cmd)
{
    // The server answers in the order of the requests: the refused answer was the oldest
    // waiting request's, and the next answer belongs to the one after it.
    if (cmd == Protocol::Cmd::getDevicesResp && !m_pendingQueries.isEmpty()) {
        const PendingQuery query = m_pendingQueries.dequeue();
        DEBUG_LOG << "get_devices_resp refused: the query for"
                  << (query.wholeList ? QStringLiteral("every device") : query.devEui) << "stays unanswered";
    } else if (cmd == Protocol::Cmd::manageDevicesResp && !m_pendingManages.isEmpty()) {
        const PendingManage sent = m_pendingManages.dequeue();
        DEBUG_LOG << "manage_devices_resp refused: no status for"
                  << (sent.list ? QStringLiteral("the list sent") : sent.devEui);
        // A list's sender learns that its request was answered, without statuses, as for an
        // answer that holds none.
        if (sent.list)
            emit mngDevsRespSignal({});
    }
}

void CMessageParser::handleFrameObject(const QJsonObject& object)
{
    if (object.isEmpty()) {
        DEBUG_LOG << "JSON object is empty";
        return;
    }
    if (!object.contains(Protocol::Key::cmd)) {
        DEBUG_LOG << "JSON not contains cmd key!";
        return;
    }
    const QJsonValue cmdValue = object.value(Protocol::Key::cmd);
    if (!cmdValue.isString()) {
        DEBUG_LOG << "cmd is not a text, frame dropped";
        return;
    }
    const QString cmd = cmdValue.toString();
    if (cmd == Protocol::Cmd::authResp) {
        if (object.contains(Protocol::Key::status))
            handleAuthResp(object);
        else
            DEBUG_LOG << "auth_resp without status ignored";
    } else if (cmd == Protocol::Cmd::serverInfoResp) {
        handleServerInfoResp(object);
    } else if (cmd == Protocol::Cmd::closeAuthResp) {
        handleCloseAuthResp(object);
    } else if (cmd == Protocol::Cmd::getDevicesResp) {
        handleGetDevicesResp(object);
    } else if (cmd == Protocol::Cmd::manageDevicesResp) {
        handleManageDevicesResp(object);
    } else if (cmd == Protocol::Cmd::deleteDevicesResp) {
        handleDeleteDevicesResp(object);
    } else if (cmd == Protocol::Cmd::manageDeviceAppdataResp) {
        handleManageAppdataResp(object);
    } else if (cmd == Protocol::Cmd::rx) {
        handleUplink(object);
    }
}

// ---- text entry points ---------------------------------------------------------------------

void CMessageParser::handleText(const QString& msg, void (CMessageParser::*handler)(const QJsonObject&))
{
    QJsonObject object;
    if (parseObject(msg, object))
        (this->*handler)(object);
}

void CMessageParser::authResp(QString msg)
{
    handleText(msg, &CMessageParser::handleAuthResp);
}

void CMessageParser::srvInfoResp(QString msg)
{
    handleText(msg, &CMessageParser::handleServerInfoResp);
}

void CMessageParser::closeAuthResp(QString msg)
{
    handleText(msg, &CMessageParser::handleCloseAuthResp);
}

void CMessageParser::getDevResp(QString msg)
{
    handleText(msg, &CMessageParser::handleGetDevicesResp);
}

void CMessageParser::mngDevResp(QString msg)
{
    handleText(msg, &CMessageParser::handleManageDevicesResp);
}

void CMessageParser::deleteDeviceResp(QString msg)
{
    handleText(msg, &CMessageParser::handleDeleteDevicesResp);
}

void CMessageParser::manageAppdataResp(QString msg)
{
    handleText(msg, &CMessageParser::handleManageAppdataResp);
}

// ---- answer handlers -----------------------------------------------------------------------

void CMessageParser::handleAuthResp(const QJsonObject& object)
{
    m_lastAuth.token = object.value(Protocol::Key::token).toString();
    m_lastAuth.deviceAccess = object.value(Protocol::Key::deviceAccess).toString();
    m_lastAuth.status = object.value(Protocol::Key::status).toBool();
    m_lastAuth.errString = object.value(Protocol::Key::errString).toString();
    DEBUG_LOG << "token: " << m_lastAuth.token;
    DEBUG_LOG << "status: " << int(m_lastAuth.status);
    DEBUG_LOG << "devie access: " << m_lastAuth.deviceAccess;
    DEBUG_LOG << "err string: " << m_lastAuth.errString;
    emit authMsgResp(m_lastAuth);
}

void CMessageParser::handleCloseAuthResp(const QJsonObject& object)
{
    // A confirmed logout ends the login: the result carries status false and the old token.
    m_lastAuth.status = !object.value(Protocol::Key::status).toBool();
    m_lastAuth.errString = object.value(Protocol::Key::errString).toString();
    emit authMsgResp(m_lastAuth);
}

void CMessageParser::handleServerInfoResp(const QJsonObject& object)
{
    if (!object.contains(Protocol::Key::deviceCount))
        return;
    const QJsonObject counts = object.value(Protocol::Key::deviceCount).toObject();
    m_lastInfo.deviceCountOther = counts.value(Protocol::Key::deviceCountOther).toInt();
    m_lastInfo.deviceCountQelt = counts.value(Protocol::Key::deviceCountQelt).toInt();
    m_lastInfo.status = object.value(Protocol::Key::status).toBool();
    emit serverInfoResp(m_lastInfo);
}

void CMessageParser::handleGetDevicesResp(const QJsonObject& object)
{
    const QJsonArray list = object.value(Protocol::Key::devicesList).toArray();
    // The answer belongs to the oldest query still waiting. One without any (sent by the
    // server unasked, or after the login ended) is taken for a one-device answer: the page
    // takes from it only the device it shows.
    PendingQuery query;
    if (!m_pendingQueries.isEmpty())
        query = m_pendingQueries.dequeue();
    else
        DEBUG_LOG << "get_devices_resp without a waiting request";
    DEBUG_LOG << "get_devices_resp:" << list.size() << (query.wholeList ? "devices, whole list" : "devices");
    if (query.wholeList) {
        emit devicesList(QJsonDocument(object));
        if (!m_viewedDevEui.isEmpty())
            emitDeviceOfList(list, m_viewedDevEui);
        return;
    }
    emitDeviceOfList(list, query.devEui);
}

void CMessageParser::handleDeviceRows(const LargeFrame& frame)
{
    PendingQuery query;
    if (!m_pendingQueries.isEmpty())
        query = m_pendingQueries.dequeue();
    else
        DEBUG_LOG << "get_devices_resp without a waiting request";
    DEBUG_LOG << "get_devices_resp:" << frame.rows.size()
              << (query.wholeList ? "devices, whole list," : "devices,") << frame.bytes << "characters";
    const auto deviceAt = [&frame](int index) { return frame.elements->object(index); };
    if (query.wholeList) {
        emit deviceRowsList(frame.rows);
        if (!m_viewedDevEui.isEmpty())
            emitDeviceOfRows(frame.rows, deviceAt, m_viewedDevEui);
        return;
    }
    emitDeviceOfRows(frame.rows, deviceAt, query.devEui);
}

void CMessageParser::emitDeviceOfRows(const ServerDeviceRows& rows,
                                      const std::function<QJsonObject(int)>& elementAt, const QString& devEui)
{
    // The same choice as emitDeviceOfList, made on the rows; only the chosen element is read.
    for (int i = rows.size() - 1; i >= 0; --i) {
        const ServerDeviceRow& row = rows.at(i);
        if (!row.isObject) {
            DEBUG_LOG << "device entry" << i << "is not an object";
            continue;
        }
        if (!devEui.isEmpty() && row.devEui.compare(devEui, Qt::CaseInsensitive) != 0)
            continue;
        const LoRaDevice device = deviceFromServerObject(elementAt(i));
        DEBUG_LOG << (device.serverAdrEnable ? "true" : "false");
        emit infoDevicesResp(device);
        return;
    }
    DEBUG_LOG << "devList is empty";
    emit infoDevicesResp(LoRaDevice());
}

void CMessageParser::emitDeviceOfList(const QJsonArray& list, const QString& devEui)
{
    // The record describes one device only, read on its own, so that no record mixes the
    // values of two devices: the one asked for, or without a DevEUI the last one of the list.
    for (int i = list.size() - 1; i >= 0; --i) {
        if (!list.at(i).isObject()) {
            DEBUG_LOG << "device entry" << i << "is not an object";
            continue;
        }
        const QJsonObject element = list.at(i).toObject();
        if (!devEui.isEmpty() &&
            element.value(Protocol::Key::devEui).toString().compare(devEui, Qt::CaseInsensitive) != 0)
            continue;
        const LoRaDevice device = deviceFromServerObject(element);
        DEBUG_LOG << (device.serverAdrEnable ? "true" : "false");
        emit infoDevicesResp(device);
        return;
    }
    // The server does not hold the device: a record that is not the server's says so.
    DEBUG_LOG << "devList is empty";
    emit infoDevicesResp(LoRaDevice());
}

void CMessageParser::handleManageDevicesResp(const QJsonObject& object)
{
    const QJsonArray statuses = object.value(Protocol::Key::deviceAddStatus).toArray();
    // The answer belongs to the oldest registration still waiting; without one the number
    // of entries tells a list's answer from a single device's.
    PendingManage sent;
    const bool known = !m_pendingManages.isEmpty();
    if (known)
        sent = m_pendingManages.dequeue();
    if (statuses.isEmpty()) {
        DEBUG_LOG << "deviceStatus is empty";
        // A list's sender still learns that its request was answered.
        if (known && sent.list)
            emit mngDevsRespSignal({});
        return;
    }
    QVector<QPair<QString, QString>> pairs;
    for (const QJsonValue& value : statuses) {
        const QJsonObject entry = value.toObject();
        if (!entry.contains(Protocol::Key::status))
            continue;
        pairs.append(
            {entry.value(Protocol::Key::devEui).toString(), entry.value(Protocol::Key::status).toString()});
    }
    DEBUG_LOG << "received add statuses: " << statuses.size();

    const bool isList = known ? sent.list : statuses.size() >= 2;
    if (isList) {
        emit mngDevsRespSignal(pairs);
    } else {
        const QJsonObject entry = statuses.first().toObject();
        const QString status = entry.value(Protocol::Key::status).toString();
        QString devEui = entry.value(Protocol::Key::devEui).toString();
        if (devEui.isEmpty())
            devEui = sent.devEui;
        emit mngDevResult(devEui, status);
        emit mngDevRespSignal(status);
        // Ask for the device as the server now holds it, also after a refusal: the page then
        // shows what the server has under that DevEUI.
        sendDeviceQuery(devEui);
    }
    if (!known || sent.refreshCounters)
        sendWhenReady(serverInfoRequest());
}

void CMessageParser::handleDeleteDevicesResp(const QJsonObject& object)
{
    if (!object.contains(Protocol::Key::deviceDeleteStatus))
        return;
    QString lastStatus;
    QVector<QPair<QString, QString>> pairs;
    const QJsonArray statuses = object.value(Protocol::Key::deviceDeleteStatus).toArray();
    for (const QJsonValue& value : statuses) {
        const QJsonObject entry = value.toObject();
        if (!entry.contains(Protocol::Key::status))
            continue;
        lastStatus = entry.value(Protocol::Key::status).toString();
        pairs.append({entry.value(Protocol::Key::devEui).toString(), lastStatus});
    }
    DEBUG_LOG << lastStatus;
    emit devicesDeleted(pairs);
    emit deviceMbRemoved(lastStatus);
}

void CMessageParser::handleManageAppdataResp(const QJsonObject& object)
{
    DEBUG_LOG << "Пришел ответ на добавление аттрибута";
    if (!object.contains(Protocol::Key::status)) {
        DEBUG_LOG << "неверный формат принятого ответа";
        return;
    }
    if (!object.value(Protocol::Key::status).toBool()) {
        DEBUG_LOG << "Ошибка при выполнении команды:" << object.value(Protocol::Key::errString).toString();
        return;
    }
    const QJsonArray updates = object.value(Protocol::Key::updateStatus).toArray();
    for (const QJsonValue& value : updates) {
        const QJsonObject entry = value.toObject();
        DEBUG_LOG << entry.value(Protocol::Key::devEui).toString()
                  << (entry.value(Protocol::Key::status).toBool() ? "true" : "false");
    }
}

void CMessageParser::handleUplink(const QJsonObject& object)
{
    // Uplinks pushed by the server are accepted; nothing in the program uses them.
    const QString type = object.value(Protocol::Key::type).toString();
    if (type.contains(Protocol::UplinkType::unconfirmed))
        DEBUG_LOG << "uplink:" << Protocol::UplinkType::unconfirmed;
    else if (type.contains(Protocol::UplinkType::confirmed))
        DEBUG_LOG << "uplink:" << Protocol::UplinkType::confirmed;
}

// ---- device records from the server ------------------------------------------------------

quint32 CMessageParser::devAddressFromJson(const QJsonValue& value)
{
    // toInt() would turn every DevAddr above 7FFFFFFF into 0. A double holds all 32-bit values
    // exactly; a server that stores the address signed sends the same bits as a negative number.
    const double number = value.toDouble(std::nan(""));
    if (std::isnan(number) || number != std::floor(number) || number < -2147483648.0 ||
        number > 4294967295.0) {
        DEBUG_LOG << "devAddress is not a 32-bit number";
        return 0;
    }
    return number < 0 ? quint32(qint32(number)) : quint32(number);
}

QString CMessageParser::frequencyPlanName(const LoRaDevice& device)
{
    return FrequencyPlans::nameOf({device.freq4, device.freq5, device.freq6, device.freq7, device.freq8},
                                  device.freqRx2);
}

LoRaDevice CMessageParser::deviceFromServerObject(const QJsonObject& element)
{
    LoRaDevice device;
    if (element.contains(Protocol::Key::devEui))
        device.devEui = element.value(Protocol::Key::devEui).toString().toUpper();

    const QJsonObject abp = element.value(Protocol::Key::abp).toObject();
    if (!abp.isEmpty()) {
        device.appsKey = abp.value(Protocol::Key::appsKey).toString().toUpper();
        device.devAddress = devAddressFromJson(abp.value(Protocol::Key::devAddress));
        device.nwksKey = abp.value(Protocol::Key::nwksKey).toString().toUpper();
        device.hasAbp = true;
    }
    const QJsonObject otaa = element.value(Protocol::Key::otaa).toObject();
    if (!otaa.isEmpty()) {
        device.appEui = otaa.value(Protocol::Key::appEui).toString().toUpper();
        device.appKey = otaa.value(Protocol::Key::appKey).toString().toUpper();
        device.hasOtaa = true;
    }

    const struct
    {
        const QString& key;
        qint32 LoRaDevice::*field;
    } numbers[] = {{Protocol::Key::reactionTime, &LoRaDevice::reactionTime},
                   {Protocol::Key::freqRx2, &LoRaDevice::freqRx2},
                   {Protocol::Key::preferDr, &LoRaDevice::preferDr},
                   {Protocol::Key::preferPower, &LoRaDevice::preferPower},
                   {Protocol::Key::rxWindow, &LoRaDevice::rxWindow},
                   {Protocol::Key::delayRx1, &LoRaDevice::delayRx1},
                   {Protocol::Key::drRx2, &LoRaDevice::drRx2},
                   {Protocol::Key::delayJoin1, &LoRaDevice::delayJoin1}};
    for (const auto& number : numbers) {
        if (element.contains(number.key))
            device.*number.field = element.value(number.key).toInt();
    }

    const QJsonObject plan = element.value(Protocol::Key::frequencyPlan).toObject();
    if (!plan.isEmpty()) {
        for (int channel = 4; channel <= 8; ++channel)
            device.setFreq(channel, plan.value(Protocol::Key::freq(channel)).toInt());
        // freqRx2 already holds the element's own RX2 frequency (0 when it has none).
        device.freqPlanName = frequencyPlanName(device);
    }

    if (element.contains(Protocol::Key::devName)) {
        device.devName = element.value(Protocol::Key::devName).toString();
        if (device.devName.isEmpty())
            device.devName = tr("Имя не установлено");
    }
    if (element.contains(Protocol::Key::devClass))
        device.devClass = element.value(Protocol::Key::devClass).toString();

    if (element.contains(Protocol::Key::position)) {
        const QJsonObject position = element.value(Protocol::Key::position).toObject();
        device.altitude = position.value(Protocol::Key::altitude).toInt();
        device.latitude = position.value(Protocol::Key::latitude).toDouble();
        device.longitude = position.value(Protocol::Key::longitude).toDouble();
    }
    device.serverAdrEnable = element.value(Protocol::Key::serverAdrEnable).toBool();
    device.classCGate = 1;
    return device;
}
