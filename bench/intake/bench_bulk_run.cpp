// A whole bulk registration as the operator runs it: the device file read into the dialog, Ok,
// and every row with the server's status, against the simulator in its own process. A timer
// of 10 ms measures the longest time the window could not repaint.
#include "DeviceFileText.h"
#include "app/CLeftPanel.h"
#include "app/CMainWindow.h"
#include "intake/ReadDevicesListModel.h"
#include "intake/widgets/DevicesFileLoader.h"
#include "server/CMessageParser.h"
#include "server/CServerClient.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <benchmark/benchmark.h>
#include <functional>

namespace {

bool waitFor(const std::function<bool()>& condition, int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!condition() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    return condition();
}

// The simulator on a free port; its frame log is counted, not kept.
class Simulator
{
public:
    Simulator()
    {
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] {
            m_pending += m_process.readAllStandardOutput();
            for (int end; (end = m_pending.indexOf('\n')) >= 0; m_pending.remove(0, end + 1)) {
                const QByteArray line = m_pending.left(end);
                if (line.startsWith("listening on "))
                    url = QUrl(QString::fromUtf8(line.mid(int(qstrlen("listening on ")))));
                if (line.startsWith("in ") && line.contains(" cmd=manage_devices_req "))
                    ++requests;
            }
        });
        m_process.start(QStringLiteral(RAVLO_LNS_SIM_PATH), {QStringLiteral("--port"), QStringLiteral("0")});
    }
    ~Simulator()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
        m_process.waitForFinished(10000);
    }
    bool started()
    {
        return waitFor([this] { return url.port() > 0; }, 10000);
    }

    QUrl url;
    int requests = 0;

private:
    QProcess m_process;
    QByteArray m_pending;
};

// The longest pause between two ticks of a 10 ms timer; answers the summary box on the way.
class StallMeter
{
public:
    StallMeter()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 gap = m_sinceTick.restart();
            longestGapMs = qMax(longestGapMs, gap);
            if (gap > 60)
                longGaps.append(QStringLiteral("%1ms@%2").arg(gap).arg(m_sinceStart.elapsed()));
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                summary = box->text();
                box->accept();
            }
        });
    }
    void start()
    {
        longestGapMs = 0;
        m_sinceTick.start();
        m_sinceStart.start();
        m_timer.start(10);
    }
    qint64 longestGapMs = 0;
    QString summary;
    QStringList longGaps; // pauses over 60 ms, with the time into the run they ended

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    QElapsedTimer m_sinceStart;
};

void BM_WholeRun(benchmark::State& state)
{
    const int devices = int(state.range(0));
    // The settings and the commissioning journal of a first run, beside the device file.
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const QString path = dir.filePath(QStringLiteral("devices.csv"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(deviceFileText(devices)) < 0)
            qFatal("cannot write %s", qPrintable(path));
    }
    for (auto _ : state) {
        Simulator sim;
        if (!sim.started()) {
            state.SkipWithError("the simulator did not start");
            break;
        }
        CMainWindow window;
        window.show();
        CMessageParser::connectClientToParser();
        CServerClient::instance()->openWebSoket({0, QStringLiteral("127.0.0.1:%1").arg(sim.url.port()),
                                                 QStringLiteral("operator"), QStringLiteral("ravlo")});
        if (!waitFor([] { return CServerClient::instance()->clientState() == EClientStates::ready; },
                     10000)) {
            state.SkipWithError("no login");
            break;
        }
        auto* leftPanel = window.findChild<CLeftPanel*>();
        DevicesFileLoader loader(leftPanel);
        leftPanel->connectDevicesFileLoader(&loader);

        StallMeter meter;
        meter.start();
        QElapsedTimer run;
        run.start();
        if (!loader.loadDevicesFile(path)) {
            state.SkipWithError("the file was not read");
            break;
        }
        const qint64 loaded = run.elapsed();
        loader.show();
        const qint64 shown = run.elapsed();
        loader.okClicked();
        const qint64 okDone = run.elapsed();
        const bool ended = waitFor(
            [&] { return loader.state() == DevicesFileLoader::State::ended && !meter.summary.isEmpty(); },
            120000);
        state.SetIterationTime(double(run.nsecsElapsed()) / 1e9);
        if (!ended)
            state.SkipWithError("the run did not end in time");
        state.counters["longest_stall_ms"] = double(meter.longestGapMs);
        state.counters["rows"] = loader.model()->rowCount();
        state.counters["rows_without_status"] = loader.model()->rowsWithoutStatus();
        state.counters["requests"] = sim.requests;
        state.SetLabel(
            (QStringLiteral("loaded@%1 shown@%2 ok@%3 ").arg(loaded).arg(shown).arg(okDone) + meter.summary +
             QStringLiteral("; pauses over 60 ms: ") +
             (meter.longGaps.isEmpty() ? QStringLiteral("none") : meter.longGaps.join(QLatin1Char(' '))))
                .toStdString());
        CServerClient::instance()->close();
        waitFor([] { return CServerClient::instance()->state() == QAbstractSocket::UnconnectedState; },
                10000);
    }
}
BENCHMARK(BM_WholeRun)->Arg(100000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
