#include "DeviceStore.h"
#include "FrameLog.h"
#include "SimConfig.h"
#include "SimRequestHandler.h"
#include "SimServer.h"
#include "server/JsonText.h"
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

// How fast the simulator answers: one "manage_devices_req" of many devices through the rules
// and the store alone and end to end over a WebSocket connection on 127.0.0.1, and a
// "get_devices_req" of every device of a large database end to end.
namespace {
namespace K = Protocol::Key;

QString devEui(int index)
{
    return QStringLiteral("70B3D5%1").arg(index, 10, 16, QLatin1Char('0')).toUpper();
}

// Devices as Ravlo sends a scanned OTAA label with the page's default settings.
QJsonObject manageRequest(int devices, int first = 0)
{
    QJsonObject mask;
    for (int channel = 1; channel <= 16; ++channel)
        mask.insert(K::channelEn(channel), channel <= 8);
    QJsonArray list;
    for (int i = first; i < first + devices; ++i) {
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

// A simulator on a free port of 127.0.0.1 serving `store`, and one client logged in to it,
// both on this thread's event loop.
class LoopbackSession
{
public:
    explicit LoopbackSession(DeviceStore& store) : m_log(nullptr)
    {
        m_config.port = 0;
        m_server = std::make_unique<SimServer>(m_config, store, m_log);
        m_client.setMaxAllowedIncomingFrameSize(1024 * 1024 * 1024);
        m_client.setMaxAllowedIncomingMessageSize(1024 * 1024 * 1024);
        QObject::connect(&m_client, &QWebSocket::connected, &m_loop, &QEventLoop::quit);
        QObject::connect(&m_client, &QWebSocket::textMessageReceived, &m_loop,
                         [this](const QString& message) {
                             m_answer = message;
                             m_loop.quit();
                         });
    }
    ~LoopbackSession() { m_client.abort(); }

    bool start(QString* error)
    {
        if (!m_server->listen(error))
            return false;
        m_client.open(m_server->url());
        wait();
        return !exchange(
                    QStringLiteral("{\"cmd\":\"auth_req\",\"login\":\"operator\",\"password\":\"ravlo\"}"))
                    .isEmpty();
    }
    // Sends one request and waits for its answer ("" when none comes within a minute).
    QString exchange(const QString& request)
    {
        m_answer.clear();
        m_client.sendTextMessage(request);
        wait();
        return m_answer;
    }

private:
    void wait()
    {
        QTimer::singleShot(60000, &m_loop, &QEventLoop::quit);
        m_loop.exec();
    }

    SimConfig m_config;
    FrameLog m_log;
    std::unique_ptr<SimServer> m_server;
    QWebSocket m_client;
    QEventLoop m_loop;
    QString m_answer;
};

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
        const SimReply answer = handler.handle(request, Protocol::Cmd::manageDevicesReq, session);
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
    const QString text = compactJsonText(manageRequest(static_cast<int>(state.range(0))));
    state.counters["request_bytes"] = text.toUtf8().size();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        DeviceStore store;
        QString error;
        auto session = std::make_unique<LoopbackSession>(store);
        if (!store.open(dir.filePath(QStringLiteral("devices.db")), &error) || !session->start(&error)) {
            state.SkipWithError(qPrintable(error));
            break;
        }
        state.ResumeTiming();

        const QJsonArray statuses = QJsonDocument::fromJson(session->exchange(text).toUtf8())
                                        .object()
                                        .value(K::deviceAddStatus)
                                        .toArray();

        state.PauseTiming();
        if (statuses.size() != state.range(0))
            state.SkipWithError("no complete answer");
        session.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ManageDevicesOverWebSocket)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A database file of `devices` devices, written once for every benchmark that reads one.
QString databaseOf(int devices)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("devices-%1.db").arg(devices));
    if (QFile::exists(path))
        return path;
    DeviceStore store;
    QString error;
    if (!store.open(path, &error))
        return {};
    SimConfig config;
    FrameLog log(nullptr);
    SimRequestHandler handler(config, store, log);
    SimSession session{1, QStringLiteral("operator"), QStringLiteral("token")};
    constexpr int batch = 10000;
    for (int first = 0; first < devices; first += batch)
        handler.handle(manageRequest(qMin(batch, devices - first), first), Protocol::Cmd::manageDevicesReq,
                       session);
    return store.count() == devices ? path : QString();
}

// Every device of a database that the simulator loaded at its start, each time right after one
// device was renamed: from the request sent to the whole answer text received (the client's
// parse of it is not timed, only checked).
void BM_GetAllDevicesOverWebSocket(benchmark::State& state)
{
    const int devices = static_cast<int>(state.range(0));
    const QString path = databaseOf(devices);
    DeviceStore store;
    QString error;
    LoopbackSession session(store);
    if (path.isEmpty() || !store.open(path, &error) || !session.start(&error)) {
        state.SkipWithError(path.isEmpty() ? "no database" : qPrintable(error));
        return;
    }
    const QString request = QStringLiteral("{\"cmd\":\"get_devices_req\"}");
    static int renames = 0; // the file keeps the names across repetitions
    for (auto _ : state) {
        state.PauseTiming();
        const QString rename =
            QStringLiteral("{\"cmd\":\"manage_devices_req\",\"devices_list\":[{\"devEui\":\"%1\","
                           "\"devName\":\"renamed %2\"}]}")
                .arg(devEui(renames % devices))
                .arg(renames);
        ++renames;
        if (!session.exchange(rename).contains(QStringLiteral("\"updated\""))) {
            state.SkipWithError("rename refused");
            break;
        }
        state.ResumeTiming();

        const QString answer = session.exchange(request);

        state.PauseTiming();
        state.counters["answer_bytes"] = answer.toUtf8().size();
        const QJsonArray list =
            QJsonDocument::fromJson(answer.toUtf8()).object().value(K::devicesList).toArray();
        if (list.size() != devices) {
            state.SkipWithError("no complete answer");
            break;
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * devices);
}
// The simulator's own share of the whole-list answer: the rules and the store making the answer
// text for every device of a loaded database, without the sockets.
void BM_GetAllDevicesHandler(benchmark::State& state)
{
    const int devices = static_cast<int>(state.range(0));
    const QString path = databaseOf(devices);
    DeviceStore store;
    QString error;
    if (path.isEmpty() || !store.open(path, &error)) {
        state.SkipWithError(path.isEmpty() ? "no database" : qPrintable(error));
        return;
    }
    SimConfig config;
    FrameLog log(nullptr);
    SimRequestHandler handler(config, store, log);
    SimSession session{1, QStringLiteral("operator"), QStringLiteral("token")};
    const QJsonObject request{{K::cmd, Protocol::Cmd::getDevicesReq}};
    int renames = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // As over the socket: one device renamed before each whole-list request.
        handler.handle(QJsonObject{{K::cmd, Protocol::Cmd::manageDevicesReq},
                                   {K::devicesList,
                                    QJsonArray{QJsonObject{
                                        {K::devEui, devEui(renames % devices)},
                                        {K::devName, QStringLiteral("handler rename %1").arg(renames)}}}}},
                       Protocol::Cmd::manageDevicesReq, session);
        ++renames;
        state.ResumeTiming();
        const SimReply answer = handler.handle(request, Protocol::Cmd::getDevicesReq, session);
        benchmark::DoNotOptimize(answer.text.size());
    }
    state.SetItemsProcessed(state.iterations() * devices);
}
BENCHMARK(BM_GetAllDevicesHandler)->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK(BM_GetAllDevicesOverWebSocket)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
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
