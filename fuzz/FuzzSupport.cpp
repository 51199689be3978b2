#include "FuzzSupport.h"

#include "server/ServerRecords.h"

#include <QCoreApplication>
#include <QEvent>

#include <cstdlib>

namespace {
void dropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}
} // namespace

namespace FuzzSupport {

void startApplication()
{
    if (QCoreApplication::instance())
        return;
    // The application keeps references to these for its whole life.
    static int argc = 1;
    static char name[] = "ravlo-fuzz";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIntValue("RAVLO_FUZZ_VERBOSE") != 1)
        qInstallMessageHandler(dropMessage);
    new QCoreApplication(argc, argv);
    registerProtocolMetaTypes();
}

void finishInput()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QByteArray bytes(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size));
}

QList<QByteArray> lines(const std::uint8_t* data, std::size_t size)
{
    return bytes(data, size).split('\n');
}

} // namespace FuzzSupport
