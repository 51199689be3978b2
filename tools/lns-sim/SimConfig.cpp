#include "SimConfig.h"

#include "RegistrationRules.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {
const char* const protocolHelp =
    "Requests and answers (one JSON object per text frame, \"cmd\" names it):\n"
    "  auth_req            -> auth_resp: \"status\" true with a fresh \"token\" and\n"
    "                         \"device_access\" \"FULL\"; a wrong login or password gives\n"
    "                         \"status\" false and \"err_string\" \"invalid_login_or_password\".\n"
    "  close_auth_req      -> close_auth_resp: \"status\" true when \"token\" is this\n"
    "                         connection's login (the login ends), else false with\n"
    "                         \"invalid_token\".\n"
    "  server_info_req     -> server_info_resp: \"device_count\" with \"device_count_qelt\"\n"
    "                         (DevEUI starts with --qelt-prefix) and \"device_count_other\".\n"
    "  manage_devices_req  -> manage_devices_resp: one status per device (rules below).\n"
    "  get_devices_req     -> get_devices_resp: the devices of \"select\".\"devEui_list\"\n"
    "                         that are held, or every device when there is no \"select\".\n"
    "  delete_devices_req  -> delete_devices_resp: per DevEUI \"deleted\", \"notFound\" or\n"
    "                         \"invalidDevEui\".\n"
    "  manage_device_appdata_req -> manage_device_appdata_resp: per element \"status\"\n"
    "                         true when its \"devEui\" is held (and \"other_info_1\", if\n"
    "                         given, is JSON text of an object), else false.\n"
    "  send_data_req       -> send_data_resp: per downlink \"queued\" (printed, and sent\n"
    "                         with the device's next pushed uplink), \"invalidDevEui\",\n"
    "                         \"notFound\", \"invalidPort\" (not 1..223, number or decimal\n"
    "                         text), \"invalidData\" (not hex bytes, at most 242) or\n"
    "                         \"queueFull\" (32 downlinks already wait for the device).\n"
    "  Every request but auth_req needs a login on the same connection; before it the\n"
    "  answer is the request's *_resp with \"status\" false and \"not_authorized\".\n"
    "  A frame that is not a JSON object, has no \"cmd\", names an unknown command or is\n"
    "  binary is answered with \"cmd\" \"error\", \"status\" false and \"err_string\"\n"
    "  \"invalid_json\", \"missing_cmd\", \"unknown_cmd\" or \"binary_frame_not_supported\";\n"
    "  a request whose list is not an array gets \"invalid_request\". A frame larger\n"
    "  than --max-message-size closes that connection (code 1009); the server goes on.\n"
    "  --rx-interval pushes \"rx\" uplinks (\"type\" UNCONF_UP or CONF_UP) of a random\n"
    "  held device to every logged-in connection.\n"
    "\n"
    "Output: the first line is \"listening on ws://ADDRESS:PORT\" (or wss://), then one\n"
    "line per frame: \"in|out TIME client=N cmd=CMD size=BYTES\" (answers add a short\n"
    "summary, e.g. \"added=2 invalidDevEui=1\" or \"refused: not_authorized\"), and \"--\"\n"
    "lines for connections, logins and downlinks.\n";

bool parseHexPrefix(const QString& text)
{
    if (text.size() > 16)
        return false;
    for (const QChar c : text) {
        if (!RegistrationRules::isHex(QString(c), 1))
            return false;
    }
    return true;
}
} // namespace

SimOptionsResult parseSimOptions(const QStringList& arguments, SimConfig& config)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Ravlo network server simulator: a WebSocket server that speaks Ravlo's\n"
                       "protocol, keeps devices in SQLite and applies a LoRaWAN network server's\n"
                       "registration rules. Log in from Ravlo with address 127.0.0.1:8002,\n"
                       "protocol \"ws\", user \"operator\", password \"ravlo\".\n\n") +
        QString::fromLatin1(protocolHelp) + QLatin1Char('\n') + RegistrationRules::rulesHelpText());
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption address(QStringLiteral("address"),
                                     QStringLiteral("Address to listen on (default 127.0.0.1)."),
                                     QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Port (default 8002); 0 picks a free port, given on the first line."),
        QStringLiteral("PORT"), QString::number(SimConfig::defaultPort));
    const QCommandLineOption database(QStringLiteral("database"),
                                      QStringLiteral("SQLite file that keeps the devices across restarts "
                                                     "(default: in memory, lost at exit)."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption user(
        QStringLiteral("user"),
        QStringLiteral("A user who may log in; repeatable. The password is everything "
                       "after the first colon. Default: operator:ravlo."),
        QStringLiteral("NAME:PASSWORD"));
    const QCommandLineOption qeltPrefix(QStringLiteral("qelt-prefix"),
                                        QStringLiteral("DevEUI prefix (hex, up to 16 digits) counted as "
                                                       "device_count_qelt; the rest is device_count_other. "
                                                       "Default 70B3D5 (the IEEE MA-S block many LoRaWAN "
                                                       "makers use); empty counts every device."),
                                        QStringLiteral("HEX"), SimConfig::defaultQeltPrefix);
    const QCommandLineOption maxDevices(QStringLiteral("max-devices"),
                                        QStringLiteral("Device limit; new devices beyond it get "
                                                       "maxDevCountReached (default 0 = no limit)."),
                                        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption rxInterval(
        QStringLiteral("rx-interval"),
        QStringLiteral("Push an \"rx\" uplink every SECONDS (default 0 = off)."), QStringLiteral("SECONDS"),
        QStringLiteral("0"));
    const QCommandLineOption cert(QStringLiteral("cert"),
                                  QStringLiteral("PEM certificate: serve wss:// (needs --key)."),
                                  QStringLiteral("FILE"));
    const QCommandLineOption key(QStringLiteral("key"),
                                 QStringLiteral("PEM private key of --cert (RSA or EC)."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption maxMessage(
        QStringLiteral("max-message-size"),
        QStringLiteral("Largest incoming frame and message in bytes (default %1).")
            .arg(SimConfig::defaultMaxMessageBytes),
        QStringLiteral("BYTES"), QString::number(SimConfig::defaultMaxMessageBytes));
    parser.addOptions(
        {address, port, database, user, qeltPrefix, maxDevices, rxInterval, cert, key, maxMessage});

    SimOptionsResult result;
    const auto fail = [&result](const QString& message) {
        result.run = false;
        result.exitCode = 1;
        result.output = message + QStringLiteral("\nTry --help.\n");
        return result;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        result.output = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.output = QCoreApplication::applicationName() + QLatin1Char(' ') +
                        QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first()));

    if (!config.address.setAddress(parser.value(address)))
        return fail(QStringLiteral("--address: \"%1\" is not an IP address").arg(parser.value(address)));
    bool ok = false;
    const uint portNumber = parser.value(port).toUInt(&ok);
    if (!ok || portNumber > 65535)
        return fail(QStringLiteral("--port: \"%1\" is not a port number (0..65535)").arg(parser.value(port)));
    config.port = static_cast<quint16>(portNumber);
    config.databasePath = parser.value(database);
    if (parser.isSet(database) && config.databasePath.isEmpty())
        return fail(QStringLiteral("--database: the file name is empty"));

    if (parser.isSet(user)) {
        config.users.clear();
        for (const QString& entry : parser.values(user)) {
            const int colon = entry.indexOf(QLatin1Char(':'));
            if (colon <= 0)
                return fail(QStringLiteral("--user: \"%1\" is not NAME:PASSWORD").arg(entry));
            config.users.insert(entry.left(colon), entry.mid(colon + 1));
        }
    }
    config.qeltPrefix = parser.value(qeltPrefix).toUpper();
    if (!parseHexPrefix(config.qeltPrefix))
        return fail(QStringLiteral("--qelt-prefix: \"%1\" is not up to 16 hexadecimal digits")
                        .arg(config.qeltPrefix));
    config.maxDevices = parser.value(maxDevices).toInt(&ok);
    if (!ok || config.maxDevices < 0)
        return fail(
            QStringLiteral("--max-devices: \"%1\" is not a number >= 0").arg(parser.value(maxDevices)));
    config.rxIntervalSeconds = parser.value(rxInterval).toInt(&ok);
    if (!ok || config.rxIntervalSeconds < 0 || config.rxIntervalSeconds > 24 * 3600)
        return fail(QStringLiteral("--rx-interval: \"%1\" is not a number of seconds (0..86400)")
                        .arg(parser.value(rxInterval)));
    config.certFile = parser.value(cert);
    config.keyFile = parser.value(key);
    if (config.certFile.isEmpty() != config.keyFile.isEmpty())
        return fail(QStringLiteral("--cert and --key go together"));
    config.maxMessageBytes = parser.value(maxMessage).toLongLong(&ok);
    if (!ok || config.maxMessageBytes < 1024 || config.maxMessageBytes > qint64(1) << 30)
        return fail(QStringLiteral("--max-message-size: \"%1\" is not a number of bytes (1024..1073741824)")
                        .arg(parser.value(maxMessage)));
    result.run = true;
    return result;
}
