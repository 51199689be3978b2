#pragma once

#include <QHostAddress>
#include <QMap>
#include <QString>
#include <QStringList>

// Everything the simulator is started with.
struct SimConfig
{
    static constexpr quint16 defaultPort = 8002;
    // DevEUIs of the IEEE MA-S block (OUI 70-B3-D5) that many LoRaWAN device makers use.
    static inline const QString defaultQeltPrefix = QStringLiteral("70B3D5");
    static inline const QString demoUser = QStringLiteral("operator");
    static inline const QString demoPassword = QStringLiteral("ravlo");
    // Incoming frame and message limit of every socket; a larger one closes that socket (1009).
    static constexpr qint64 defaultMaxMessageBytes = 32 * 1024 * 1024;

    QHostAddress address = QHostAddress::LocalHost;
    quint16 port = defaultPort;
    QString databasePath; // empty = in memory
    QMap<QString, QString> users{{demoUser, demoPassword}};
    QString qeltPrefix = defaultQeltPrefix;
    int maxDevices = 0;        // 0 = no limit
    int rxIntervalSeconds = 0; // 0 = no uplinks pushed
    QString certFile;
    QString keyFile;
    qint64 maxMessageBytes = defaultMaxMessageBytes;

    bool secure() const { return !certFile.isEmpty(); }
};

// Reads the command line. Result: Run, or Exit with `output` to print (help, version) and
// `exitCode` (0, or 1 with an error message in `output`).
struct SimOptionsResult
{
    bool run = false;
    int exitCode = 0;
    QString output;
};

SimOptionsResult parseSimOptions(const QStringList& arguments, SimConfig& config);
