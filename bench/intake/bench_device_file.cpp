// How long a device file of 100 000 lines takes to become the bulk-load dialog's rows, and
// how long the server's 100 000 results take to find their rows.
#include "DeviceFileText.h"
#include "intake/DevicesFile.h"
#include "intake/ReadDevicesListModel.h"
#include "intake/widgets/DevicesFileLoader.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int fileLines = 100000;

// The file named by RAVLO_DEVICE_FILE (the benchmark script hands its own over), or one made here.
QString deviceFilePath()
{
    static QTemporaryDir dir;
    static QString path;
    if (path.isEmpty()) {
        path = qEnvironmentVariable("RAVLO_DEVICE_FILE");
        if (path.isEmpty()) {
            path = dir.filePath(QStringLiteral("devices.csv"));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(deviceFileText(fileLines)) < 0)
                qFatal("cannot write %s", qPrintable(path));
        }
    }
    return path;
}

// File to rows of the model: read, split, upper-cased, indexed by DevEUI.
void BM_ParseFileIntoModel(benchmark::State& state)
{
    const QString path = deviceFilePath();
    ReadDevicesListModel model;
    for (auto _ : state) {
        DevicesFile::Content content;
        if (!DevicesFile::read(path, &content))
            state.SkipWithError("cannot read the device file");
        model.setDevices(std::move(content.devices));
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.counters["rows"] = model.rowCount();
    state.SetItemsProcessed(state.iterations() * model.rowCount());
}
BENCHMARK(BM_ParseFileIntoModel)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same through the dialog, with its table sized to the contents.
void BM_LoadIntoDialog(benchmark::State& state)
{
    const QString path = deviceFilePath();
    for (auto _ : state) {
        state.PauseTiming();
        auto loader = std::make_unique<DevicesFileLoader>();
        state.ResumeTiming();
        if (!loader->loadDevicesFile(path))
            state.SkipWithError("cannot read the device file");
        benchmark::DoNotOptimize(loader->model()->rowCount());
        state.PauseTiming(); // the dialog's end is not part of the load
        loader.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * fileLines);
}
BENCHMARK(BM_LoadIntoDialog)->Unit(benchmark::kMillisecond)->UseRealTime();

// 100 000 (DevEUI, status) results, in an order other than the rows', each to the first row
// of its DevEUI without a status. Every tenth DevEUI stands twice in the file.
void BM_MatchResults(benchmark::State& state)
{
    const int rows = int(state.range(0));
    QVector<LoRaDevice> devices(rows);
    for (int i = 0; i < rows; ++i)
        devices[i].devEui =
            QStringLiteral("70B3D5E75E%1").arg(i % 10 == 9 ? i - 1 : i, 6, 16, QLatin1Char('0')).toUpper();
    QVector<QPair<QString, QString>> results;
    results.reserve(rows);
    for (const LoRaDevice& device : qAsConst(devices))
        results.append({device.devEui, QStringLiteral("added")});
    // 0: in row order, as the server answers; 1: shuffled.
    if (state.range(1) != 0)
        std::shuffle(results.begin(), results.end(), *QRandomGenerator::global());
    QVector<int> allRows(rows);
    for (int i = 0; i < rows; ++i)
        allRows[i] = i;

    ReadDevicesListModel model;
    model.setDevices(devices);
    for (auto _ : state) {
        benchmark::DoNotOptimize(model.setStatuses(results));
        state.PauseTiming();
        if (model.rowsWithoutStatus() != 0)
            state.SkipWithError("a result found no row");
        model.clearStatuses(allRows);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_MatchResults)
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
