#pragma once

#include <QJsonDocument>
#include <QMetaType>
#include <QPair>
#include <QString>
#include <QVector>

// Result of a login (or logout, or a connection failure shown like one).
struct AuthResponse
{
    bool status = false;
    QString token;
    QString deviceAccess;
    QString errString;
};

// The server's device counters.
struct CloraInfoResp
{
    qint32 deviceCountOther = 0;
    qint32 deviceCountQelt = 0;
    bool status = false;
};

// What the operator asked to connect to.
struct CLoraAuthReq
{
    qint32 protocol = 0; // 1 = "wss://", anything else = "ws://"
    QString address;     // host:port, without scheme
    QString login;
    QString password;
};

Q_DECLARE_METATYPE(AuthResponse)
Q_DECLARE_METATYPE(CloraInfoResp)
Q_DECLARE_METATYPE(CLoraAuthReq)
Q_DECLARE_METATYPE(QVector<QJsonDocument>)

using DeviceStatusPairs = QVector<QPair<QString, QString>>;

// Registers the protocol records, and the containers that carry them, with the
// meta-type system so that they travel through queued connections.
void registerProtocolMetaTypes();
