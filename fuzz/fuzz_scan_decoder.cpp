// One scan of the barcode/QR scanner, as the serial port hands it over.
#include "FuzzSupport.h"

#include "intake/ScanDecoder.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const ScanResult result = ScanDecoder::decode(FuzzSupport::bytes(data, size));
    if (result.kind == ScanResult::Kind::device)
        ScanDecoder::devAddrValue(result.device.devEui);
    return 0;
}
