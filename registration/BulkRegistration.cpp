#include "registration/BulkRegistration.h"

#include "foundation/DebugLog.h"
#include "meters/PulseAppData.h"
#include "server/CMessageParser.h"

BulkRegistration::BulkRegistration(QObject* parent) : QObject(parent)
{
    connect(CMessageParser::instance(), &CMessageParser::mngDevsRespSignal, this,
            &BulkRegistration::onAnswer);
    connect(CServerClient::instance(), &CServerClient::clientStateChanged, this,
            &BulkRegistration::onClientStateChanged);
}

bool BulkRegistration::start(const QVector<LoRaDevice>& devices, const ChosenSettings& settings,
                             const std::optional<PulseSettings>& pulse, const QDate& date, int chunkSize)
{
    if (m_running) {
        DEBUG_LOG << "a list is being registered already;" << devices.size() << "devices not sent";
        return false;
    }
    if (devices.isEmpty())
        return false;
    m_devices = devices;
    m_settings = settings;
    m_pulse = pulse;
    m_date = date;
    m_nameCounter = 1;
    m_chunkSize = qMax(1, chunkSize);
    m_next = 0;
    m_inFlight = 0;
    m_requestsSent = 0;
    m_running = true;
    m_waiting = false;
    m_stopping = false;
    DEBUG_LOG << "registering" << devices.size() << "devices, at most" << m_chunkSize << "a request";
    // The first request goes out from the event loop, like every later one: the window
    // repaints between taking the list and sending it.
    QMetaObject::invokeMethod(this, &BulkRegistration::advance, Qt::QueuedConnection);
    return true;
}

void BulkRegistration::stop()
{
    if (!m_running || m_stopping)
        return;
    DEBUG_LOG << "stopped;" << m_devices.size() - m_next << "devices not sent";
    m_stopping = true;
    if (!m_waiting)
        finish(0);
}

void BulkRegistration::sendNext()
{
    const int count = qMin(m_chunkSize, m_devices.size() - m_next);
    const QVector<LoRaDevice> chunk =
        DeviceCompletion::completedList(m_devices.mid(m_next, count), m_settings, m_date, &m_nameCounter);
    if (!CMessageParser::instance()->sendDevicesList(chunk, false)) {
        // Not logged in, or the frame did not go out: nothing more can be sent.
        finish(0);
        return;
    }
    m_inFlight = count;
    m_waiting = true;
    ++m_requestsSent;
    if (m_pulse) {
        QVector<QJsonDocument> appData;
        appData.reserve(chunk.size());
        for (const LoRaDevice& device : chunk)
            appData.append(buildPulseAppData(*m_pulse, device.devEui, device.sn));
        CMessageParser::instance()->manageAppdataReq(appData);
    }
    m_next += count;
}

void BulkRegistration::onAnswer()
{
    if (!m_waiting)
        return;
    m_waiting = false;
    m_inFlight = 0;
    // From the event loop: the answer's results reach the other receivers first, and the
    // window repaints between two requests.
    QMetaObject::invokeMethod(this, &BulkRegistration::advance, Qt::QueuedConnection);
}

void BulkRegistration::advance()
{
    if (!m_running || m_waiting)
        return;
    if (m_stopping || m_next >= m_devices.size())
        finish(0);
    else
        sendNext();
}

void BulkRegistration::onClientStateChanged(EClientStates state)
{
    if (!m_running || state == EClientStates::ready)
        return;
    DEBUG_LOG << "login ended during the run;" << m_devices.size() - m_next << "devices not sent";
    finish(m_waiting ? m_inFlight : 0);
}

void BulkRegistration::finish(int unanswered)
{
    const int notSent = m_devices.size() - m_next;
    m_running = false;
    m_waiting = false;
    m_stopping = false;
    m_inFlight = 0;
    m_devices.clear();
    m_pulse.reset();
    if (CServerClient::instance()->clientState() == EClientStates::ready)
        CServerClient::instance()->sendMessage(CMessageParser::serverInfoRequest());
    DEBUG_LOG << "list registration ended:" << m_requestsSent << "requests," << notSent << "devices not sent,"
              << unanswered << "unanswered";
    emit finished(notSent, unanswered);
}
