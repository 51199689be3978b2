// Handling of one large "get_devices_resp" (10 000 devices, several MB) as it arrives from the
// server, compared with a bare JSON parse of the same frame.
#include "server/CMessageParser.h"
#include "server/Protocol.h"
#include "server/ServerRecords.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>

#include <benchmark/benchmark.h>

namespace {
// A device object as the server stores it, with every group filled.
QJsonObject serverDevice(int n)
{
    namespace K = Protocol::Key;
    QJsonObject plan;
    for (int channel = 4; channel <= 8; ++channel)
        plan.insert(K::freq(channel), 864100000 + (channel - 4) * 200000);
    QJsonObject mask;
    for (int channel = 1; channel <= 16; ++channel)
        mask.insert(K::channelEn(channel), channel <= 8);
    const QString eui = QStringLiteral("70B3D5E75E%1").arg(n, 6, 16, QLatin1Char('0')).toUpper();
    return QJsonObject{
        {K::devEui, eui},
        {K::devName, QStringLiteral("Счётчик воды %1").arg(n)},
        {K::devClass, Protocol::DeviceClass::classA},
        {K::reactionTime, 30},
        {K::useDownlinkQueueClassC, false},
        {K::freqRx2, 869100000},
        {K::preferDr, 5},
        {K::preferPower, 14},
        {K::rxWindow, 2},
        {K::delayRx1, 1},
        {K::drRx2, 0},
        {K::delayJoin1, 5},
        {K::serverAdrEnable, true},
        {K::frequencyPlan, plan},
        {K::channelMask, mask},
        {K::position, QJsonObject{{K::longitude, 37.6173}, {K::latitude, 55.7558}, {K::altitude, 150}}},
        {K::abp, QJsonObject{{K::devAddress, qint64(0xFC000000u + quint32(n))},
                             {K::appsKey, QStringLiteral("00112233445566778899AABBCCDDEEFF")},
                             {K::nwksKey, QStringLiteral("FFEEDDCCBBAA99887766554433221100")}}},
        {K::otaa, QJsonObject{{K::appEui, QStringLiteral("0000000000000001")},
                              {K::appKey, QStringLiteral("0123456789ABCDEF0123456789ABCDEF")}}}};
}

QString devicesFrame(int count)
{
    QJsonArray list;
    for (int n = 0; n < count; ++n)
        list.append(serverDevice(n));
    const QJsonObject frame{{Protocol::Key::cmd, Protocol::Cmd::getDevicesResp},
                            {Protocol::Key::devicesList, list}};
    return QString::fromUtf8(QJsonDocument(frame).toJson(QJsonDocument::Compact));
}

const QString& frame10k()
{
    static const QString frame = devicesFrame(10000);
    return frame;
}

void quietDebugOutput(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtDebugMsg)
        fprintf(stderr, "%s\n", qPrintable(message));
}

void BM_ProcessDevicesResp10k(benchmark::State& state)
{
    const QString& frame = frame10k();
    CMessageParser* parser = CMessageParser::instance();
    // Receivers like the registration page and the device table: they keep what they get.
    LoRaDevice lastDevice;
    QJsonDocument lastList;
    QObject receiver;
    QObject::connect(parser, &CMessageParser::infoDevicesResp, &receiver,
                     [&](LoRaDevice device) { lastDevice = device; });
    QObject::connect(parser, &CMessageParser::devicesList, &receiver,
                     [&](QJsonDocument list) { lastList = list; });
    for (auto _ : state) {
        parser->processReceivedMessage(frame);
        benchmark::DoNotOptimize(lastDevice.devAddress);
    }
    if (lastDevice.devEui != QStringLiteral("70B3D5E75E00270F") || lastDevice.devAddress != 0xFC00270Fu)
        state.SkipWithError("the device record is not the last device of the list");
    state.counters["frame_bytes"] = double(frame.toUtf8().size());
    state.SetBytesProcessed(int64_t(state.iterations()) * frame.toUtf8().size());
}
BENCHMARK(BM_ProcessDevicesResp10k)->Unit(benchmark::kMillisecond);

// The floor: converting the frame to UTF-8 and parsing it once, nothing else.
void BM_ParseOnly10k(benchmark::State& state)
{
    const QString& frame = frame10k();
    for (auto _ : state) {
        const QJsonDocument document = QJsonDocument::fromJson(frame.toUtf8());
        benchmark::DoNotOptimize(document.isObject());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * frame.toUtf8().size());
}
BENCHMARK(BM_ParseOnly10k)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    registerProtocolMetaTypes();
    qInstallMessageHandler(quietDebugOutput);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
