// How long the server device table takes to take in a large "get_devices_resp".
#include "intake/DeviceListModel.h"
#include "server/Protocol.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonObject>
#include <QTableView>

#include <benchmark/benchmark.h>

namespace {

QByteArray devicesResponseText(int deviceCount)
{
    QJsonArray devices;
    for (int i = 0; i < deviceCount; ++i) {
        devices.append(QJsonObject{
            {Protocol::Key::devEui, QStringLiteral("70B3D57E%1").arg(i, 8, 16, QLatin1Char('0')).toUpper()},
            {Protocol::Key::devName, QStringLiteral("Счётчик %1").arg(i)},
            {Protocol::Key::devClass, Protocol::DeviceClass::classA}});
    }
    return QJsonDocument(QJsonObject{{Protocol::Key::cmd, Protocol::Cmd::getDevicesResp},
                                     {Protocol::Key::status, true},
                                     {Protocol::Key::devicesList, devices}})
        .toJson(QJsonDocument::Compact);
}

// The model alone, from the parsed document the protocol layer hands over.
void BM_SetDevices(benchmark::State& state)
{
    const QJsonDocument response = QJsonDocument::fromJson(devicesResponseText(int(state.range(0))));
    DeviceListModel model;
    for (auto _ : state) {
        model.setDevices(response);
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SetDevices)->Arg(100000)->Unit(benchmark::kMillisecond);

// From the frame's text, through the parse, into a model shown by a table set up like the
// registration page's (fixed row height).
void BM_ParseAndShow(benchmark::State& state)
{
    const QByteArray text = devicesResponseText(int(state.range(0)));
    DeviceListModel model;
    QTableView view;
    view.verticalHeader()->setDefaultSectionSize(view.verticalHeader()->minimumSectionSize());
    view.setModel(&model);
    view.resize(600, 400);
    view.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        model.setDevices(QJsonDocument::fromJson(text));
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseAndShow)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
