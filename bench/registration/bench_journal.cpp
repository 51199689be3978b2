// How long the commissioning journal takes for a long run: 100 000 lines written one by one
// (each flushed to the system), read back, and shown in the journal tab.
#include "registration/CommissioningJournal.h"
#include "registration/JournalModel.h"
#include "registration/widgets/JournalView.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

JournalEntry line(int n)
{
    return JournalEntry{QDateTime::currentDateTime(),
                        QStringLiteral("10.0.0.1:8002"),
                        QStringLiteral("operator"),
                        CommissioningJournal::actionRegistered,
                        QStringLiteral("70B3D57E%1").arg(n, 8, 16, QLatin1Char('0')).toUpper(),
                        QStringLiteral("Счётчик, подъезд %1").arg(n),
                        QStringLiteral("added")};
}

QString writeJournal(const QTemporaryDir& dir, int lines)
{
    const QString path = dir.filePath(CommissioningJournal::fileName);
    QFile::remove(path);
    CommissioningJournal journal(path);
    for (int n = 0; n < lines; ++n)
        journal.append(line(n));
    return path;
}

void BM_AppendLines(benchmark::State& state)
{
    QTemporaryDir dir;
    for (auto _ : state)
        benchmark::DoNotOptimize(writeJournal(dir, int(state.range(0))));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AppendLines)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ReadIntoModel(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = writeJournal(dir, int(state.range(0)));
    JournalModel model;
    for (auto _ : state) {
        model.setEntries(CommissioningJournal::read(path).entries);
        benchmark::DoNotOptimize(model.rowCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadIntoModel)->Arg(100000)->Unit(benchmark::kMillisecond);

// Lines recorded while the tab is open, each one arriving at the top of the shown table.
void BM_RecordWhileShown(benchmark::State& state)
{
    QTemporaryDir dir;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(dir.filePath(CommissioningJournal::fileName));
        CommissioningJournal journal(dir.filePath(CommissioningJournal::fileName));
        JournalView view(&journal);
        view.resize(800, 400);
        view.show();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        for (int n = 0; n < state.range(0); ++n)
            journal.append(line(n));
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RecordWhileShown)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
