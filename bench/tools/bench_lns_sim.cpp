#include "DeviceStore.h"
#include "FrameLog.h"
#include "SimConfig.h"
#include "SimRequestHandler.h"
#include "SimServer.h"
#include "server/Protocol.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebSocket>

#include <benchmark/benchmark.h>

#include <memory>

// How fast the simulator answers one "manage_devices_req" of many devices: through the rules
// and the store alone, and end to end over a WebSocket connection on 127.0.0.1.
namespace {
namespace K = Protocol::Key;

QString devEui(int index)
{
    return QStringLiteral("70B3D5%1").arg(index, 10, 16, QLatin1Char('0')).toUpper();
}

// Devices as Ravlo sends a scanned OTAA label with the page's default settings.
QJsonObject manageRequest(int devices)
{
    QJsonObject mask;
    for (int channel = 1; channel <= 16; ++channel)
        mask.insert(K::channelEn(channel), channel <= 8);
    QJsonArray list;
    for (int i = 0; i < devices; ++i) {
        list.append(
            QJsonObject{{K::devEui, devEui(i)},
                        {K::devName, devEui(i)},
                        {K::devClass, Protocol::DeviceClass::classA},
                        {K::frequencyPlan, QJsonObject{{K::freq4, 864100000},
                                                       {K::freq5, 864300000},
                                                       {K::freq6, 864500000},
                                                       {K::freq7, 864700000},
                                                       {K::freq8, 864900000}}},
                        {K::freqRx2, 869100000},
                        {K::channelMask, mask},
                        {K::preferDr, 5},
                        {K::preferPower, 14},
                        {K::rxWindow, 1},
                        {K::delayRx1, 1},
                        {K::drRx2, 0},
                        {K::delayJoin1, 5},
                        {K::serverAdrEnable, true},
                        {K::otaa, QJsonObject{{K::appEui, QStringLiteral("0102030405060708")},
                                              {K::appKey, QStringLiteral("000102030405060708090A0B0C0D0E%1")
                                                              .arg(i % 256, 2, 16, QLatin1Char('0'))}}}});
    }
    return QJsonObject{{K::cmd, Protocol::Cmd::manageDevicesReq}, {K::devicesList, list}};
}

// Rules and store only; range(1) = 1 keeps the store in a database file.
void BM_ManageDevicesHandler(benchmark::State& state)
{
    const QJsonObject request = manageRequest(static_cast<int>(state.range(0)));
    const bool onDisk = state.range(1) == 1;
    SimConfig config;
    FrameLog log(nullptr);
    SimSession session{1, QStringLiteral("operator"), QStringLiteral("token")};
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        auto store = std::make_unique<DeviceStore>();
        QString error;
        if (!store->open(onDisk ? dir.filePath(QStringLiteral("devices.db")) : QString(), &error)) {
            state.SkipWithError(qPrintable(error));
            break;
        }
        SimRequestHandler handler(config, *store, log);
        state.ResumeTiming();
        const QJsonObject answer = handler.handle(request, Protocol::Cmd::manageDevicesReq, session);
        benchmark::DoNotOptimize(answer);
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ManageDevicesHandler)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond);

// The whole exchange: the client sends the request text, the simulator parses it, applies the
// rules, writes the database file and sends the answer, which the client receives and parses.
void BM_ManageDevicesOverWebSocket(benchmark::State& state)
{
    const QString text = QString::fromUtf8(
        QJsonDocument(manageRequest(static_cast<int>(state.range(0)))).toJson(QJsonDocument::Compact));
    state.counters["request_bytes"] = text.toUtf8().size();
    SimConfig config;
    config.port = 0;
    FrameLog log(nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        config.databasePath = dir.filePath(QStringLiteral("devices.db"));
        DeviceStore store;
        QString error;
        auto server = std::make_unique<SimServer>(config, store, log);
        if (!store.open(config.databasePath, &error) || !server->listen(&error)) {
            state.SkipWithError(qPrintable(error));
            break;
        }
        QWebSocket client;
        client.setMaxAllowedIncomingFrameSize(64 * 1024 * 1024);
        client.setMaxAllowedIncomingMessageSize(64 * 1024 * 1024);
        QEventLoop loop;
        QString answer;
        QObject::connect(&client, &QWebSocket::connected, &loop, &QEventLoop::quit);
        QObject::connect(&client, &QWebSocket::textMessageReceived, &loop, [&](const QString& message) {
            answer = message;
            loop.quit();
        });
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        client.open(server->url());
        loop.exec();
        client.sendTextMessage(
            QStringLiteral("{\"cmd\":\"auth_req\",\"login\":\"operator\",\"password\":\"ravlo\"}"));
        loop.exec();
        answer.clear();
        state.ResumeTiming();

        client.sendTextMessage(text);
        loop.exec();
        const QJsonArray statuses =
            QJsonDocument::fromJson(answer.toUtf8()).object().value(K::deviceAddStatus).toArray();

        state.PauseTiming();
        if (statuses.size() != state.range(0))
            state.SkipWithError("no complete answer");
        client.abort();
        server.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ManageDevicesOverWebSocket)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
