#include "StopSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
int pipeFds[2] = {-1, -1};
constexpr int stopSignals[] = {SIGTERM, SIGINT};

void onSignal(int number)
{
    const int savedErrno = errno;
    const char byte = static_cast<char>(number);
    // A full pipe already holds a stop; nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t written = ::write(pipeFds[1], &byte, 1);
    errno = savedErrno;
}

QString signalName(int number)
{
    switch (number) {
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGINT:
        return QStringLiteral("SIGINT");
    default:
        return QStringLiteral("signal %1").arg(number);
    }
}

void restoreDefaultHandlers()
{
    for (const int number : stopSignals)
        std::signal(number, SIG_DFL);
}
} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {}

StopSignals::~StopSignals()
{
    if (pipeFds[0] < 0)
        return;
    restoreDefaultHandlers();
    delete m_notifier; // before its descriptor closes
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    pipeFds[0] = pipeFds[1] = -1;
}

bool StopSignals::install(QString* error)
{
    if (pipeFds[0] >= 0) {
        *error = QStringLiteral("stop signals are watched already");
        return false;
    }
    if (::pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) != 0) {
        *error = QStringLiteral("cannot make the signal pipe: %1")
                     .arg(QString::fromLocal8Bit(std::strerror(errno)));
        pipeFds[0] = pipeFds[1] = -1;
        return false;
    }
    m_notifier = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::onReadable);
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : stopSignals) {
        if (::sigaction(number, &action, nullptr) != 0) {
            *error = QStringLiteral("cannot watch %1: %2")
                         .arg(signalName(number), QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
    }
    return true;
}

void StopSignals::onReadable()
{
    char byte = 0;
    if (::read(pipeFds[0], &byte, 1) != 1)
        return;
    restoreDefaultHandlers();
    m_notifier->setEnabled(false);
    emit stopRequested(signalName(static_cast<unsigned char>(byte)));
}
