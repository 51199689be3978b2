// A requests file of downlinks, line by line, and the request text of every valid line.
#include "FuzzSupport.h"

#include "downlink/RequestsFile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (const QByteArray& line : FuzzSupport::lines(data, size)) {
        const RequestsFileLine decoded = RequestsFile::decodeLine(QString::fromUtf8(line));
        if (decoded.isDownlink())
            RequestsFile::sendDataRequest(decoded);
    }
    return 0;
}
