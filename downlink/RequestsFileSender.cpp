#include "downlink/RequestsFileSender.h"

#include "downlink/RequestsFile.h"
#include "foundation/DebugLog.h"
#include "server/CServerClient.h"

namespace {
bool loggedIn()
{
    return CServerClient::instance()->clientState() == EClientStates::ready;
}
} // namespace

RequestsFileSender::RequestsFileSender(QObject* parent) : QObject(parent)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &RequestsFileSender::sendNextLine);
}

bool RequestsFileSender::start(const QString& path)
{
    if (isRunning())
        finish(End::stopped);
    m_sent = m_skipped = m_lineNumber = 0;
    if (!loggedIn()) {
        finish(End::notLoggedIn);
        return false;
    }
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        DEBUG_LOG << "cannot open the requests file" << path << m_file.errorString();
        finish(End::cannotOpen);
        return false;
    }
    m_stream.setDevice(&m_file);
    m_stream.setCodec("UTF-8");
    DEBUG_LOG << "sending the requests of" << path;
    m_timer.start();
    return true;
}

void RequestsFileSender::stop()
{
    if (isRunning())
        finish(End::stopped);
}

void RequestsFileSender::sendNextLine()
{
    if (m_stream.atEnd()) {
        finish(End::done);
        return;
    }
    if (!loggedIn()) {
        finish(End::notLoggedIn);
        return;
    }
    ++m_lineNumber;
    const RequestsFileLine line = RequestsFile::decodeLine(m_stream.readLine());
    if (line.kind == RequestsFileLine::Kind::blank)
        return;
    if (!line.isDownlink()) {
        DEBUG_LOG << "line" << m_lineNumber << "skipped:" << line.reason;
        ++m_skipped;
    } else if (CServerClient::instance()->sendMessage(RequestsFile::sendDataRequest(line))) {
        DEBUG_LOG << "line" << m_lineNumber << "did not go out whole";
        ++m_skipped;
    } else {
        ++m_sent;
    }
    emit progress(m_sent, m_skipped);
}

void RequestsFileSender::finish(End end)
{
    m_timer.stop();
    m_stream.setDevice(nullptr);
    m_file.close();
    DEBUG_LOG << "requests file:" << m_sent << "sent," << m_skipped << "skipped, end" << int(end);
    emit finished(end, m_sent, m_skipped);
}
