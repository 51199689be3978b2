#pragma once

#include "server/CServerClient.h"
#include "server/LoRaDevice.h"

#include <QJsonDocument>
#include <QObject>
#include <QPair>
#include <QVector>

// Registers a long list of devices in requests of a bounded size, one at a time: the next
// "manage_devices_req" goes out once the server has answered the one before, so no frame grows
// beyond what a server accepts and the program stays responsive between the answers. The
// application data of a request's devices follows it in one "manage_device_appdata_req". The
// counters are asked for once, after the last answer.
class BulkRegistration : public QObject
{
    Q_OBJECT
public:
    explicit BulkRegistration(QObject* parent = nullptr);

    // appData holds one document per device, in the same order, or none at all.
    // False (and nothing sent) while another run is under way or for an empty list.
    bool start(const QVector<LoRaDevice>& devices, const QVector<QJsonDocument>& appData, int chunkSize);
    // Sends no further request; the one under way is still answered.
    void stop();
    bool isRunning() const { return m_running; }
    int requestsSent() const { return m_requestsSent; }

signals:
    // The run is over: notSent devices never went out; unanswered ones went out in a request
    // whose answer can no longer come (the login ended).
    void finished(int notSent, int unanswered);

private:
    void sendNext();
    void advance();
    void onAnswer();
    void onClientStateChanged(EClientStates state);
    void finish(int unanswered);

    QVector<LoRaDevice> m_devices;
    QVector<QJsonDocument> m_appData;
    int m_chunkSize = 1;
    int m_next = 0;     // first device not sent yet
    int m_inFlight = 0; // devices of the request waiting for its answer
    int m_requestsSent = 0;
    bool m_running = false;
    bool m_waiting = false;
    bool m_stopping = false;
};
