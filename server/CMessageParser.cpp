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

// The request building and response handling below are completed with the server link.
bool CMessageParser::formDeviceJson(const LoRaDevice& regDevInfo, QJsonArray& out)
{
    out.append(QJsonObject{{Protocol::Key::devEui, regDevInfo.devEui}});
    return true;
}

void CMessageParser::authResp(QString) {}
void CMessageParser::getDevReq(LoRaDevice) {}
void CMessageParser::mngDevResp(QString) {}
void CMessageParser::mngDevReq(LoRaDevice) {}
void CMessageParser::mngDevsReq(QVector<LoRaDevice>) {}
void CMessageParser::getDevResp(QString) {}
void CMessageParser::srvInfoResp(QString) {}
void CMessageParser::closeAuthResp(QString) {}
void CMessageParser::processReceivedMessage(QString msg)
{
    DEBUG_LOG << msg.size();
}
void CMessageParser::deleteDeviceResp(QString) {}
void CMessageParser::manageAppdataReq(QVector<QJsonDocument>) {}
void CMessageParser::manageAppdataResp(QString) {}
void CMessageParser::testAppdata() {}
