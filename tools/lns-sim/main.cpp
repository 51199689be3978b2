#include "DeviceStore.h"
#include "FrameLog.h"
#include "SimConfig.h"
#include "SimServer.h"
#include "StopSignals.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

// ravlo-lns-sim: a network server to try, train and test Ravlo against (see --help).
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ravlo-lns-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RAVLO_VERSION));

    SimConfig config;
    const SimOptionsResult options = parseSimOptions(QCoreApplication::arguments(), config);
    if (!options.run) {
        std::fputs(options.output.toLocal8Bit().constData(), options.exitCode == 0 ? stdout : stderr);
        return options.exitCode;
    }

    FrameLog log(stdout);
    QString error;
    StopSignals stopSignals;
    if (!stopSignals.install(&error)) {
        std::fprintf(stderr, "ravlo-lns-sim: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &app, [&log](const QString& signalName) {
        log.line(QStringLiteral("stopping on %1").arg(signalName));
        QCoreApplication::quit();
    });

    DeviceStore store;
    QStringList warnings;
    if (!store.open(config.databasePath, &error, &warnings)) {
        std::fprintf(stderr, "ravlo-lns-sim: cannot open the database \"%s\": %s\n",
                     config.databasePath.toLocal8Bit().constData(), error.toLocal8Bit().constData());
        return 1;
    }
    auto server = std::make_unique<SimServer>(config, store, log);
    if (!server->listen(&error)) {
        std::fprintf(stderr, "ravlo-lns-sim: %s\n", error.toLocal8Bit().constData());
        return 1;
    }
    // The first line names the address, so that whoever started us with --port 0 learns the port.
    log.line(QStringLiteral("listening on %1").arg(server->url().toString()));
    log.line(QStringLiteral("database %1, %2 devices, users: %3")
                 .arg(config.databasePath.isEmpty() ? QStringLiteral("in memory (lost at exit)")
                                                    : QStringLiteral("\"%1\"").arg(config.databasePath))
                 .arg(store.count())
                 .arg(config.users.keys().join(QStringLiteral(", "))));
    for (const QString& warning : warnings)
        log.line(QStringLiteral("warning: %1").arg(warning));
    const int exitCode = app.exec();

    // Connections go first, so that no request reaches a closed store.
    server.reset();
    store.close();
    log.line(QStringLiteral("stopped, database closed"));
    return exitCode;
}
