#pragma once

#include "meters/PulseSettings.h"
#include "registration/DeviceCompletion.h"
#include "server/CServerClient.h"
#include "server/LoRaDevice.h"

#include <QDate>
#include <QObject>
#include <QVector>

#include <optional>

// Registers a long list of devices in requests of a bounded size, one at a time: the next
// "manage_devices_req" goes out once the server has answered the one before, so no frame grows
// beyond what a server accepts and the program stays responsive between the answers. The
// application data of a request's devices follows it in one "manage_device_appdata_req". The
// counters are asked for once, after the last answer. Each request's devices are completed from
// the settings (read once, at the start) just before it goes out, so a long list costs no long
// pause at its start.
class BulkRegistration : public QObject
{
    Q_OBJECT
public:
    explicit BulkRegistration(QObject* parent = nullptr);

    // The devices as read, completed with the settings and named for the date ("%n" counting
    // over the whole list); with pulse settings each device's application data goes too.
    // False (and nothing sent) while another run is under way or for an empty list.
    bool start(const QVector<LoRaDevice>& devices, const ChosenSettings& settings,
               const std::optional<PulseSettings>& pulse, const QDate& date, int chunkSize);
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
    ChosenSettings m_settings;
    std::optional<PulseSettings> m_pulse;
    QDate m_date;
    int m_nameCounter = 1;
    int m_chunkSize = 1;
    int m_next = 0;     // first device not sent yet
    int m_inFlight = 0; // devices of the request waiting for its answer
    int m_requestsSent = 0;
    bool m_running = false;
    bool m_waiting = false;
    bool m_stopping = false;
};
