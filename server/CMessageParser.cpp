#include "server/CMessageParser.h"

#include "app/DebugLog.h"
#include "server/CServerClient.h"
#include "server/Protocol.h"

#include <QJsonObject>
#include <QMutex>
#include <QMutexLocker>

namespace {
CMessageParser* g_parser = nullptr;
QMutex g_parserMutex;

QString compact(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
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

CMessageParser::CMessageParser(QObject* parent) : QObject(parent) {}

QString CMessageParser::authRequest(const QString& login, const QString& password)
{
    return compact({{Protocol::Key::cmd, Protocol::Cmd::authReq},
                    {Protocol::Key::login, login},
                    {Protocol::Key::password, password}});
}

QString CMessageParser::serverInfoRequest()
{
    return compact({{Protocol::Key::cmd, Protocol::Cmd::serverInfoReq}});
}

QString CMessageParser::closeAuthRequest(const QString& token)
{
    return compact({{Protocol::Key::cmd, Protocol::Cmd::closeAuthReq}, {Protocol::Key::token, token}});
}

// The request building and the remaining handlers are completed with the server link.
bool CMessageParser::formDeviceJson(const LoRaDevice& regDevInfo, QJsonArray& out)
{
    out.append(QJsonObject{{Protocol::Key::devEui, regDevInfo.devEui}});
    return true;
}

void CMessageParser::processReceivedMessage(QString msg)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(msg.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError) {
        DEBUG_LOG << "Json parsing error[" + QString::number(error.error) + "], offset[" +
                         QString::number(error.offset) + "]";
        return;
    }
    if (!document.isObject()) {
        DEBUG_LOG << "json doc is not an object";
        return;
    }
    const QJsonObject object = document.object();
    const QString cmd = object.value(Protocol::Key::cmd).toString();
    if (cmd == Protocol::Cmd::authResp && object.contains(Protocol::Key::status))
        authResp(msg);
    else if (cmd == Protocol::Cmd::serverInfoResp)
        srvInfoResp(msg);
}

void CMessageParser::authResp(QString msg)
{
    const QJsonObject object = QJsonDocument::fromJson(msg.toUtf8()).object();
    m_lastAuth.token = object.value(Protocol::Key::token).toString();
    m_lastAuth.deviceAccess = object.value(Protocol::Key::deviceAccess).toString();
    m_lastAuth.status = object.value(Protocol::Key::status).toBool();
    m_lastAuth.errString = object.value(Protocol::Key::errString).toString();
    emit authMsgResp(m_lastAuth);
}

void CMessageParser::srvInfoResp(QString msg)
{
    const QJsonObject object = QJsonDocument::fromJson(msg.toUtf8()).object();
    if (!object.contains(Protocol::Key::deviceCount))
        return;
    const QJsonObject counts = object.value(Protocol::Key::deviceCount).toObject();
    m_lastInfo.deviceCountOther = counts.value(Protocol::Key::deviceCountOther).toInt();
    m_lastInfo.deviceCountQelt = counts.value(Protocol::Key::deviceCountQelt).toInt();
    m_lastInfo.status = object.value(Protocol::Key::status).toBool();
    emit serverInfoResp(m_lastInfo);
}

void CMessageParser::getDevReq(LoRaDevice) {}
void CMessageParser::mngDevResp(QString) {}
void CMessageParser::mngDevReq(LoRaDevice) {}
void CMessageParser::mngDevsReq(QVector<LoRaDevice>) {}
void CMessageParser::getDevResp(QString) {}
void CMessageParser::closeAuthResp(QString) {}
void CMessageParser::deleteDeviceResp(QString) {}
void CMessageParser::manageAppdataReq(QVector<QJsonDocument>) {}
void CMessageParser::manageAppdataResp(QString) {}
void CMessageParser::testAppdata() {}
