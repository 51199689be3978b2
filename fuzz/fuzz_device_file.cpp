// The device file of a bulk registration, whole and line by line.
#include "FuzzSupport.h"

#include "intake/DevicesFile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const DevicesFile::Content content = DevicesFile::parse(FuzzSupport::bytes(data, size));
    DevicesFile::lineList(content.droppedLines, 5);
    LoRaDevice device;
    for (const QByteArray& line : FuzzSupport::lines(data, size))
        DevicesFile::parseLine(line, &device);
    return 0;
}
