// The simulator's request handler on a store in memory: each line of the input is one frame
// of a client that is logged in, handled in turn, so a device added by one line can be read,
// changed or deleted by the next.
#include "FuzzSupport.h"

#include "DeviceStore.h"
#include "FrameLog.h"
#include "SimRequestHandler.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const SimConfig config;
    static FrameLog log(nullptr);
    {
        DeviceStore store;
        QString error;
        if (!store.open(QString(), &error))
            abort();
        SimRequestHandler handler(config, store, log);
        SimSession session{1, SimConfig::demoUser, QStringLiteral("token")};
        for (const QByteArray& frame : FuzzSupport::lines(data, size)) {
            const ParsedFrame parsed = SimRequestHandler::parseFrame(frame);
            if (parsed.errorReply)
                continue;
            handler.handle(parsed.request, parsed.cmd, session);
            handler.takeDownlink(parsed.request.value(QStringLiteral("devEui")).toString());
        }
    }
    FuzzSupport::finishInput();
    return 0;
}
