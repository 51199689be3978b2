// A received frame: the checks every frame passes, the answer handlers, and the large-frame
// reader (streaming device lists and its fall-back to Qt's parser) on the same text.
#include "FuzzSupport.h"

#include "server/CMessageParser.h"
#include "server/LargeFrameReader.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray utf8 = FuzzSupport::bytes(data, size);
    QJsonObject object;
    CMessageParser::parseFrame(utf8, object);

    const QString text = QString::fromUtf8(utf8);
    CMessageParser::instance()->processReceivedMessage(text);

    const LargeFrame frame = LargeFrameReader::read(text);
    if (frame.kind == LargeFrame::Kind::deviceList && frame.elements) {
        for (int row = 0; row < frame.rows.size(); ++row)
            CMessageParser::deviceFromServerObject(frame.elements->object(row));
    }
    FuzzSupport::finishInput();
    return 0;
}
