#include "server/ServerRecords.h"

#include "server/LoRaDevice.h"

void registerProtocolMetaTypes()
{
    qRegisterMetaType<LoRaDevice>("LoRaDevice");
    qRegisterMetaType<QVector<LoRaDevice>>("QVector<LoRaDevice>");
    qRegisterMetaType<AuthResponse>("AuthResponse");
    qRegisterMetaType<CloraInfoResp>("CloraInfoResp");
    qRegisterMetaType<CLoraAuthReq>("CLoraAuthReq");
    qRegisterMetaType<QVector<QPair<QString, QString>>>("QVector<QPair<QString,QString>>");
    qRegisterMetaType<QVector<QJsonDocument>>("QVector<QJsonDocument>");
}
