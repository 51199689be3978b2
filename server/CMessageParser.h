#pragma once

#include "server/CServerClient.h"
#include "server/LoRaDevice.h"
#include "server/ServerDeviceRow.h"
#include "server/ServerRecords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QObject>
#include <QQueue>
#include <QStringList>
#include <QThreadPool>

#include <functional>
#include <memory>

struct LargeFrame;

// Translates between records and the server's JSON messages, in both directions: builds and
// sends the requests, checks every incoming frame and turns each answer into records and signals.
class CMessageParser : public QObject
{
    Q_OBJECT
public:
    static CMessageParser* instance(QObject* parent = nullptr);
    ~CMessageParser() override;
    // Hands every text frame the client receives to the parser, on a later pass of the event
    // loop. Connects once however often it is called.
    static void connectClientToParser();

    static QString authRequest(const QString& login, const QString& password);
    static QString serverInfoRequest();
    static QString closeAuthRequest(const QString& token);
    static QString getDevicesRequest(const QStringList& devEuis);
    // Sends one "manage_devices_req" of a list (as mngDevsReq does); true when it went out.
    // Without refreshCounters its answer asks for no counters: a run of many requests asks
    // for them once, at its end.
    bool sendDevicesList(const QVector<LoRaDevice>& devices, bool refreshCounters);
    // Appends one device object for a "manage_devices_req"; the device's credentials decide
    // which groups of keys it carries, unset values are left out.
    static bool formDeviceJson(const LoRaDevice& regDevInfo, QJsonArray& out);

    // One device object of a "get_devices_resp", read into a fresh record.
    static LoRaDevice deviceFromServerObject(const QJsonObject& element);
    // The named plan (RU868, EU868, KZ868) whose extra channels 4..8 and RX2 frequency the
    // device has, or "custom".
    static QString frequencyPlanName(const LoRaDevice& device);
    // The unsigned 32-bit DevAddr of a "devAddress" number; 0 for anything that is not one.
    static quint32 devAddressFromJson(const QJsonValue& value);

    // The checks every received frame passes: a JSON object none of whose objects repeats a
    // key, with the reason in the log when it is not one. A repeated key is refused before Qt's
    // parser sees the text: it keeps only the last value and loses the memory of the others.
    enum class FrameCheck
    {
        accepted,
        malformed,
        repeatedKey
    };
    static FrameCheck checkFrame(const QByteArray& utf8, QJsonObject& object);
    static bool parseFrame(const QByteArray& utf8, QJsonObject& object);

    // Received frames of at least this many characters are read off the GUI thread; the
    // answers still come out in the order the frames arrived.
    static constexpr int defaultLargeFrameSize = 256 * 1024;
    void setLargeFrameSize(int characters);

signals:
    void authMsgResp(AuthResponse response);
    void infoDevicesResp(LoRaDevice device);
    void serverInfoResp(CloraInfoResp info);
    void mngDevRespSignal(QString status);
    void mngDevsRespSignal(QVector<QPair<QString, QString>> statuses);
    void devicesList(QJsonDocument devices);
    // The answer to a request for the whole list when the frame was large: the rows of the
    // device table, read without building a JSON document.
    void deviceRowsList(ServerDeviceRows rows);
    void deviceMbRemoved(QString status);
    // Every (DevEUI, status) pair of a "delete_devices_resp", in array order; sent before
    // deviceMbRemoved.
    void devicesDeleted(QVector<QPair<QString, QString>> statuses);
    // The DevEUI and status of the answer to one device sent with mngDevReq; sent before
    // mngDevRespSignal.
    void mngDevResult(QString devEui, QString status);

public slots:
    // The answer handlers also accept a message text directly; received frames are parsed
    // once in processReceivedMessage and handed on as objects.
    void authResp(QString msg);
    void getDevReq(LoRaDevice lastInfo);
    // Asks for every device of the server ({"cmd":"get_devices_req"}); the answer goes to devicesList.
    void getDevicesListReq();
    void mngDevResp(QString msg);
    void mngDevReq(LoRaDevice regDevInfo);
    void mngDevsReq(QVector<LoRaDevice> devices);
    void getDevResp(QString msg);
    void srvInfoResp(QString msg);
    void closeAuthResp(QString msg);
    // A frame of the connection in force.
    void processReceivedMessage(QString msg);
    // A frame as the client's socket hands it over: it is handled on a later pass of the event
    // loop, and dropped when another connection has begun by then.
    void frameArrived(const QString& msg);
    void deleteDeviceResp(QString msg);
    void manageAppdataReq(QVector<QJsonDocument> pulseData);
    void manageAppdataResp(QString msg);
    void testAppdata();
    // Forgets the requests still waiting for an answer: after a login ends none will come.
    void onClientStateChanged(EClientStates state);

protected:
    explicit CMessageParser(QObject* parent = nullptr);

private:
    // What one unanswered "get_devices_req" asked for. The server's answers carry no request
    // id but come in the order of the requests, so each answer belongs to the oldest one.
    struct PendingQuery
    {
        bool wholeList = false;
        QString devEui; // the device asked for, when not the whole list
    };
    // What one unanswered "manage_devices_req" carried: one device (mngDevReq) or a list.
    struct PendingManage
    {
        bool list = false;
        QString devEui;              // the device sent, when a single one
        bool refreshCounters = true; // ask for the counters once the answer is in
    };

    // Sends a text while the client is logged in; true when it went out whole.
    static bool sendWhenReady(const QString& text);
    void sendDeviceQuery(const QString& devEui);
    void emitDeviceOfList(const QJsonArray& list, const QString& devEui);

    // One received frame in arrival order: a small one waiting behind a large one being read,
    // or a large one (job) with its result once it has been read.
    struct Inbound
    {
        quint64 job = 0;
        QString text;
        bool ready = false;
        std::shared_ptr<const LargeFrame> frame;
        quint64 connection = 0;
    };
    void receiveFrame(const QString& msg, quint64 connection);
    // An answer of an earlier connection must not be taken for one of this connection's.
    static bool isOfEndedConnection(quint64 connection);
    void readLargeFrame(const QString& msg, quint64 connection);
    void largeFrameRead(quint64 job, std::shared_ptr<const LargeFrame> frame);
    void handleLargeFrame(const LargeFrame& frame);
    void handleFrameText(const QString& msg);
    void handleFrameObject(const QJsonObject& object);
    // A refused answer still answers its request: the next answer must not be taken for it.
    void forgetRequestOfRefused(const QString& cmd);
    void handleDeviceRows(const LargeFrame& frame);
    void emitDeviceOfRows(const ServerDeviceRows& rows, const std::function<QJsonObject(int)>& elementAt,
                          const QString& devEui);

    // Parses a text given to one of the answer slots directly and hands it to its handler.
    void handleText(const QString& msg, void (CMessageParser::*handler)(const QJsonObject&));
    void handleAuthResp(const QJsonObject& object);
    void handleServerInfoResp(const QJsonObject& object);
    void handleCloseAuthResp(const QJsonObject& object);
    void handleGetDevicesResp(const QJsonObject& object);
    void handleManageDevicesResp(const QJsonObject& object);
    void handleDeleteDevicesResp(const QJsonObject& object);
    void handleManageAppdataResp(const QJsonObject& object);
    void handleUplink(const QJsonObject& object);

    AuthResponse m_lastAuth;
    CloraInfoResp m_lastInfo;
    QQueue<PendingQuery> m_pendingQueries;
    QQueue<PendingManage> m_pendingManages;
    // The device the page last asked about: a whole-list answer tells the page about it too.
    QString m_viewedDevEui;

    QQueue<Inbound> m_inbox;
    quint64 m_lastJob = 0;
    int m_largeFrameSize = defaultLargeFrameSize;
    QThreadPool m_readers;
};
