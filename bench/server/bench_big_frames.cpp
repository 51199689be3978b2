// The two large exchanges of a 100 000-device day, as the program really runs them:
// - a "get_devices_resp" of 100 000 devices (about 77 MB) sent by a server in another process,
//   from the client's textMessageReceived to the filled device table, with the longest pause of
//   the GUI thread (a 10 ms timer) and the peak memory above the idle program;
// - the chunked "manage_devices_req"s of a 100 000-device bulk registration, built and written.
// bench/run_big_frames.py runs this together with the Python reference and prints the ratios.
//
// Modes besides the benchmarks (used by the script and by the benchmark itself):
//   --make-fixture FILE   writes the 100 000-device get_devices_resp
//   --serve FILE          a server that logs anybody in and answers the whole-list request with FILE
//   --dump-chunk FILE     writes the first bulk chunk, for the script's check of the same objects
#include "intake/DeviceListModel.h"
#include "server/CMessageParser.h"
#include "server/CServerClient.h"
#include "server/JsonText.h"
#include "server/LargeFrameReader.h"
#include "server/ManageDevicesText.h"
#include "server/Protocol.h"
#include "server/ServerRecords.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QHostAddress>
#include <QJsonArray>
#include <QProcess>
#include <QTableView>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <limits>

namespace {
namespace K = Protocol::Key;

constexpr int tableDevices = 100000;
constexpr int bulkDevices = 100000;
constexpr int bulkChunk = 1000;

QString fixturePath()
{
    return qEnvironmentVariable("RAVLO_BENCH_FIXTURE", QStringLiteral("devices-100k.json"));
}

// ---- the device list fixture -------------------------------------------------------------

// A device object as the server stores it: a class A OTAA device with its radio settings, its
// channel mask and position (about 780 bytes; 100 000 of them make a frame of about 77 MB).
QJsonObject serverDevice(int n)
{
    QJsonObject plan;
    for (int channel = 4; channel <= 8; ++channel)
        plan.insert(K::freq(channel), 864100000 + (channel - 4) * 200000);
    QJsonObject mask;
    for (int channel = 1; channel <= 16; ++channel)
        mask.insert(K::channelEn(channel), channel <= 8);
    return QJsonObject{
        {K::devEui, QStringLiteral("70B3D5E75E%1").arg(n, 6, 16, QLatin1Char('0')).toUpper()},
        {K::devName, QStringLiteral("Счётчик воды %1").arg(n)},
        {K::devClass, Protocol::DeviceClass::classA},
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
        {K::position, QJsonObject{{K::longitude, 37.6173 + n * 1e-6},
                                  {K::latitude, 55.7558 - n * 1e-6},
                                  {K::altitude, 150}}},
        {K::otaa,
         QJsonObject{
             {K::appEui, QStringLiteral("0000000000000001")},
             {K::appKey, QStringLiteral("0123456789ABCDEF01234567%1").arg(n, 8, 16, QLatin1Char('0'))}}}};
}

int makeFixture(const QString& path)
{
    QJsonArray list;
    for (int n = 0; n < tableDevices; ++n)
        list.append(serverDevice(n));
    const QByteArray text =
        QJsonDocument(
            QJsonObject{{K::cmd, Protocol::Cmd::getDevicesResp}, {K::status, true}, {K::devicesList, list}})
            .toJson(QJsonDocument::Compact);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return 1;
    std::printf("%s: %lld bytes\n", qPrintable(path), static_cast<long long>(text.size()));
    return 0;
}

// ---- the server process --------------------------------------------------------------------

int serve(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QString devices = QString::fromUtf8(file.readAll());
    file.close();
    QWebSocketServer server(QStringLiteral("bench"), QWebSocketServer::NonSecureMode);
    if (!server.listen(QHostAddress::LocalHost, 0))
        return 1;
    QObject::connect(&server, &QWebSocketServer::newConnection, [&server, &devices] {
        QWebSocket* socket = server.nextPendingConnection();
        socket->setMaxAllowedIncomingMessageSize(1 << 20);
        QObject::connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(
            socket, &QWebSocket::textMessageReceived, socket, [socket, &devices](const QString& text) {
                const QString cmd = QJsonDocument::fromJson(text.toUtf8()).object().value(K::cmd).toString();
                if (cmd == Protocol::Cmd::authReq)
                    socket->sendTextMessage(compactJsonText({{K::cmd, Protocol::Cmd::authResp},
                                                             {K::status, true},
                                                             {K::token, "t"},
                                                             {K::deviceAccess, "all"}}));
                else if (cmd == Protocol::Cmd::serverInfoReq)
                    socket->sendTextMessage(
                        compactJsonText({{K::cmd, Protocol::Cmd::serverInfoResp},
                                         {K::status, true},
                                         {K::deviceCount, QJsonObject{{K::deviceCountQelt, tableDevices},
                                                                      {K::deviceCountOther, 0}}}}));
                else if (cmd == Protocol::Cmd::getDevicesReq)
                    socket->sendTextMessage(devices);
            });
    });
    std::printf("port %d\n", server.serverPort());
    std::fflush(stdout);
    // The benchmark ends this process when it is done.
    return QCoreApplication::exec();
}

// ---- memory of this process -----------------------------------------------------------------

qint64 statusKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// The peak resident size starts again from the present one.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

void quietDebugOutput(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

// Runs the event loop (sleeping while there is nothing to do) until done() or ms have passed.
bool waitFor(const std::function<bool()>& done, int ms)
{
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    check.start(2);
    if (!done())
        loop.exec();
    return done();
}

// ---- (a) the device table from a 100 000-device frame ----------------------------------------

void BM_DeviceTableFromLargeFrame(benchmark::State& state)
{
    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--serve"), fixturePath()});
    if (!server.waitForStarted() || !server.waitForReadyRead(60000)) {
        state.SkipWithError("the server process did not start (is the fixture there?)");
        return;
    }
    const int port = QString::fromLatin1(server.readLine()).trimmed().mid(5).toInt();
    const qint64 frameBytes = QFileInfo(fixturePath()).size();

    CServerClient* client = CServerClient::instance();
    CMessageParser* parser = CMessageParser::instance();
    CMessageParser::connectClientToParser();
    // Argument 0: every frame read on the GUI thread with Qt's JSON classes, as before.
    parser->setLargeFrameSize(state.range(0) ? CMessageParser::defaultLargeFrameSize
                                             : std::numeric_limits<int>::max());
    client->openWebSoket(CLoraAuthReq{0, QStringLiteral("127.0.0.1:%1").arg(port), "bench", "bench"});
    if (!waitFor([client] { return client->clientState() == EClientStates::ready; }, 10000)) {
        state.SkipWithError("no login");
        return;
    }

    // The device table as the registration page sets it up and fills it.
    DeviceListModel model;
    QTableView view;
    view.setModel(&model);
    view.verticalHeader()->setDefaultSectionSize(view.verticalHeader()->minimumSectionSize());
    view.resize(600, 400);
    view.show();
    QObject::connect(parser, &CMessageParser::devicesList, &model,
                     [&model](QJsonDocument list) { model.setDevices(list, true); });
    QObject::connect(parser, &CMessageParser::deviceRowsList, &model,
                     [&model](ServerDeviceRows rows) { model.setRows(rows, true); });

    QElapsedTimer clock;
    clock.start();
    qint64 requested = 0, arrived = 0, filled = 0;
    qint64 lastTick = 0, longestGap = 0;
    bool measuring = false;
    qint64 rowsReady = 0;
    QObject::connect(parser, &CMessageParser::deviceRowsList, &model,
                     [&](const ServerDeviceRows&) { rowsReady = clock.nsecsElapsed(); });
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (measuring)
            longestGap = qMax(longestGap, now - lastTick);
        lastTick = now;
    });
    ticker.start(10);
    // Directly at the signal: the parser's own connection is queued.
    QObject::connect(client, &QWebSocket::textMessageReceived, &model, [&](const QString& text) {
        if (text.size() < 1000000)
            return;
        arrived = clock.nsecsElapsed();
        lastTick = arrived;
        measuring = true;
    });
    QObject::connect(&model, &QAbstractItemModel::modelReset, &model, [&] {
        if (measuring && model.rowCount() == tableDevices) {
            filled = clock.nsecsElapsed();
            // A GUI thread blocked until now has had no tick since.
            longestGap = qMax(longestGap, filled - lastTick);
            measuring = false;
        }
    });

    double readMs = 0, receiveMs = 0, gapMs = 0, peakAboveIdle = 0, handlingPeakAboveIdle = 0;
    int rounds = 0;
    for (auto _ : state) {
        model.setRows({}, true);
        QCoreApplication::processEvents();
        const qint64 idleKiB = statusKiB("VmRSS:");
        resetPeak();
        arrived = filled = 0;
        longestGap = 0;
        requested = clock.nsecsElapsed();
        parser->getDevicesListReq();
        if (!waitFor([&] { return arrived != 0; }, 60000)) {
            state.SkipWithError("no device list arrived");
            break;
        }
        const qint64 receivedPeakKiB = statusKiB("VmHWM:");
        resetPeak();
        if (!waitFor([&] { return filled != 0; }, 60000)) {
            state.SkipWithError("the table was not filled");
            break;
        }
        const qint64 handlingPeakKiB = statusKiB("VmHWM:");
        state.SetIterationTime(double(filled - arrived) / 1e9);
        receiveMs = qMax(receiveMs, double(arrived - requested) / 1e6);
        readMs = qMax(readMs, double(rowsReady - arrived) / 1e6);
        gapMs = qMax(gapMs, double(longestGap) / 1e6);
        peakAboveIdle = qMax(peakAboveIdle, double(qMax(receivedPeakKiB, handlingPeakKiB) - idleKiB) * 1024);
        handlingPeakAboveIdle = qMax(handlingPeakAboveIdle, double(handlingPeakKiB - idleKiB) * 1024);
        ++rounds;
        // Let the frame's memory go before the next round.
        QCoreApplication::processEvents();
    }
    state.counters["frame_MB"] = double(frameBytes) / 1e6;
    state.counters["rows"] = model.rowCount();
    state.counters["read_ms"] = readMs;           // arrival -> rows handed to the table
    state.counters["qt_receive_ms"] = receiveMs;  // request sent -> textMessageReceived (not counted)
    state.counters["longest_gui_gap_ms"] = gapMs; // 10 ms timer, between arrival and filled table
    state.counters["peak_x_frame"] = peakAboveIdle / double(frameBytes); // incl. Qt's receive
    state.counters["handling_peak_x_frame"] = handlingPeakAboveIdle / double(frameBytes);
    parser->setLargeFrameSize(CMessageParser::defaultLargeFrameSize);
    client->close();
    waitFor([client] { return client->state() == QAbstractSocket::UnconnectedState; }, 10000);
    server.kill();
    server.waitForFinished();
}
BENCHMARK(BM_DeviceTableFromLargeFrame)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The parts of (a) on their own: the fixture's text read by the fast reader on this thread.
void BM_LargeFrameReaderAlone(benchmark::State& state)
{
    QFile file(fixturePath());
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("no fixture");
        return;
    }
    const QString text = QString::fromUtf8(file.readAll());
    int rows = 0;
    for (auto _ : state) {
        const LargeFrame frame = LargeFrameReader::read(text);
        rows = frame.rows.size();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_LargeFrameReaderAlone)->Iterations(3)->Unit(benchmark::kMillisecond);

// ---- (b) the chunked requests of a 100 000-device bulk registration ----------------------------

// A device from a device file, completed with the page's settings: a first registration that
// carries every group (the "else" case).
LoRaDevice bulkDevice(int n)
{
    LoRaDevice d;
    d.devEui = QStringLiteral("70B3D5E75E%1").arg(n, 6, 16, QLatin1Char('0')).toUpper();
    d.appEui = QStringLiteral("0000000000000001");
    d.appKey = QStringLiteral("0123456789ABCDEF01234567%1").arg(n, 8, 16, QLatin1Char('0')).toUpper();
    d.devAddress = 0xFC000000u + quint32(n);
    d.appsKey = QStringLiteral("00112233445566778899AABBCC%1").arg(n, 6, 16, QLatin1Char('0')).toUpper();
    d.nwksKey = QStringLiteral("FFEEDDCCBBAA998877665544%1").arg(n, 8, 16, QLatin1Char('0')).toUpper();
    d.devName = QStringLiteral("Счётчик воды %1").arg(n);
    d.devClass = Protocol::DeviceClass::classA;
    d.freq4 = 864100000;
    d.freq5 = 864300000;
    d.freq6 = 864500000;
    d.freq7 = 864700000;
    d.freq8 = 864900000;
    d.freqRx2 = 869100000;
    d.rxWindow = 2;
    d.delayRx1 = 1;
    d.delayJoin1 = 5;
    d.reactionTime = -1;
    d.altitude = 150;
    d.longitude = 37.6173;
    d.latitude = 55.7558;
    d.preferDr = 5;
    d.preferPower = 14;
    d.drRx2 = 0;
    d.classCGate = -1;
    d.serverAdrEnable = true;
    for (int i = 0; i < 8; ++i)
        d.channelEn[size_t(i)] = true;
    d.sn = QString::number(n);
    return d;
}

const QVector<LoRaDevice>& bulkDevices100k()
{
    static const QVector<LoRaDevice> devices = [] {
        QVector<LoRaDevice> all;
        all.reserve(bulkDevices);
        for (int n = 0; n < bulkDevices; ++n)
            all.append(bulkDevice(n));
        return all;
    }();
    return devices;
}

void BM_BulkRequestsWritten(benchmark::State& state)
{
    const QVector<LoRaDevice>& devices = bulkDevices100k();
    qint64 characters = 0;
    for (auto _ : state) {
        characters = 0;
        for (int first = 0; first < devices.size(); first += bulkChunk) {
            const QString text = ManageDevicesText::request(devices, first, bulkChunk);
            characters += text.size();
            benchmark::DoNotOptimize(text.constData());
        }
    }
    state.counters["characters"] = double(characters);
}
BENCHMARK(BM_BulkRequestsWritten)->Iterations(3)->Unit(benchmark::kMillisecond);

// The same requests through Qt's JSON classes, as they were made before.
void BM_BulkRequestsWithJsonClasses(benchmark::State& state)
{
    const QVector<LoRaDevice>& devices = bulkDevices100k();
    for (auto _ : state) {
        for (int first = 0; first < devices.size(); first += bulkChunk) {
            QJsonArray list;
            for (int i = first; i < first + bulkChunk; ++i)
                CMessageParser::formDeviceJson(devices.at(i), list);
            const QString text =
                compactJsonText({{K::cmd, Protocol::Cmd::manageDevicesReq}, {K::devicesList, list}});
            benchmark::DoNotOptimize(text.constData());
        }
    }
}
BENCHMARK(BM_BulkRequestsWithJsonClasses)->Iterations(1)->Unit(benchmark::kMillisecond);

int dumpChunk(const QString& path)
{
    QFile file(path);
    const QByteArray text = ManageDevicesText::request(bulkDevices100k(), 0, bulkChunk).toUtf8();
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerProtocolMetaTypes();
    qInstallMessageHandler(quietDebugOutput);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments.at(1) == QLatin1String("--make-fixture"))
        return makeFixture(arguments.at(2));
    if (arguments.size() == 3 && arguments.at(1) == QLatin1String("--serve"))
        return serve(arguments.at(2));
    if (arguments.size() == 3 && arguments.at(1) == QLatin1String("--dump-chunk"))
        return dumpChunk(arguments.at(2));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
