#pragma once

#include "server/LoRaDevice.h"
#include "server/ServerRecords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QObject>

// Translates between records and the server's JSON messages, in both directions.
class CMessageParser : public QObject
{
    Q_OBJECT
public:
    static CMessageParser* instance(QObject* parent = nullptr);

    static QString authRequest(const QString& login, const QString& password);
    static QString serverInfoRequest();
    static QString closeAuthRequest(const QString& token);
    static bool formDeviceJson(const LoRaDevice& regDevInfo, QJsonArray& out);

signals:
    void authMsgResp(AuthResponse response);
    void infoDevicesResp(LoRaDevice device);
    void serverInfoResp(CloraInfoResp info);
    void mngDevRespSignal(QString status);
    void mngDevsRespSignal(QVector<QPair<QString, QString>> statuses);
    void devicesList(QJsonDocument devices);
    void deviceMbRemoved(QString status);

public slots:
    void authResp(QString msg);
    void getDevReq(LoRaDevice lastInfo);
    void mngDevResp(QString msg);
    void mngDevReq(LoRaDevice regDevInfo);
    void mngDevsReq(QVector<LoRaDevice> devices);
    void getDevResp(QString msg);
    void srvInfoResp(QString msg);
    void closeAuthResp(QString msg);
    void processReceivedMessage(QString msg);
    void deleteDeviceResp(QString msg);
    void manageAppdataReq(QVector<QJsonDocument> pulseData);
    void manageAppdataResp(QString msg);
    void testAppdata();

protected:
    explicit CMessageParser(QObject* parent = nullptr);

private:
    AuthResponse m_lastAuth;
    CloraInfoResp m_lastInfo;
};
