#include "SimServer.h"

#include "DeviceStore.h"
#include "FrameLog.h"
#include "SimVocabulary.h"
#include "server/Protocol.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QRandomGenerator>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QWebSocket>
#include <QWebSocketServer>

namespace {
namespace K = Protocol::Key;

bool loadSslConfiguration(const SimConfig& config, QSslConfiguration& ssl, QString* error)
{
    if (!QSslSocket::supportsSsl()) {
        *error = QStringLiteral("this Qt has no TLS support: wss:// is not available");
        return false;
    }
    const QList<QSslCertificate> certificates = QSslCertificate::fromPath(config.certFile, QSsl::Pem);
    if (certificates.isEmpty()) {
        *error = QStringLiteral("no PEM certificate in \"%1\"").arg(config.certFile);
        return false;
    }
    QFile keyFile(config.keyFile);
    if (!keyFile.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the key \"%1\": %2").arg(config.keyFile, keyFile.errorString());
        return false;
    }
    const QByteArray pem = keyFile.readAll();
    QSslKey key;
    for (const QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa}) {
        key = QSslKey(pem, algorithm, QSsl::Pem, QSsl::PrivateKey);
        if (!key.isNull())
            break;
    }
    if (key.isNull()) {
        *error =
            QStringLiteral("no unencrypted PEM private key (RSA, EC or DSA) in \"%1\"").arg(config.keyFile);
        return false;
    }
    ssl = QSslConfiguration::defaultConfiguration();
    ssl.setLocalCertificate(certificates.first());
    if (certificates.size() > 1)
        ssl.setLocalCertificateChain(certificates);
    ssl.setPrivateKey(key);
    ssl.setPeerVerifyMode(QSslSocket::VerifyNone);
    return true;
}

// What an answer says, in short, for the operator following the log: a refusal's error
// word, or how many devices got which status ("added=3 invalidDevEui=1").
QString summary(const QJsonObject& answer)
{
    if (!answer.value(K::status).toBool(true))
        return QStringLiteral("refused: %1").arg(answer.value(K::errString).toString());
    for (const QString& key : {K::deviceAddStatus, K::deviceDeleteStatus, SimVocabulary::Key::sendStatus}) {
        const QJsonArray entries = answer.value(key).toArray();
        if (entries.isEmpty())
            continue;
        QMap<QString, int> counts;
        for (const QJsonValue& entry : entries)
            ++counts[entry.toObject().value(K::status).toString()];
        QStringList parts;
        for (auto it = counts.constBegin(); it != counts.constEnd(); ++it)
            parts.append(QStringLiteral("%1=%2").arg(it.key()).arg(it.value()));
        return parts.join(QLatin1Char(' '));
    }
    return {};
}
} // namespace

SimServer::SimServer(const SimConfig& config, DeviceStore& store, FrameLog& log, QObject* parent)
    : QObject(parent), m_config(config), m_store(store), m_log(log), m_handler(config, store, log),
      m_server(new QWebSocketServer(
          QStringLiteral("ravlo-lns-sim"),
          config.secure() ? QWebSocketServer::SecureMode : QWebSocketServer::NonSecureMode, this))
{
    connect(m_server, &QWebSocketServer::newConnection, this, &SimServer::onNewConnection);
    connect(m_server, &QWebSocketServer::acceptError, this, [this](QAbstractSocket::SocketError error) {
        m_log.event(0, QStringLiteral("accept failed: error %1").arg(error));
    });
    connect(m_server, &QWebSocketServer::serverError, this, [this](QWebSocketProtocol::CloseCode code) {
        m_log.event(0,
                    QStringLiteral("handshake refused: %1 (code %2)").arg(m_server->errorString()).arg(code));
    });
    connect(m_server, &QWebSocketServer::sslErrors, this, [this](const QList<QSslError>& errors) {
        for (const QSslError& error : errors)
            m_log.event(0, QStringLiteral("TLS error: %1").arg(error.errorString()));
    });
    if (config.rxIntervalSeconds > 0) {
        m_rxTimer.setInterval(config.rxIntervalSeconds * 1000);
        connect(&m_rxTimer, &QTimer::timeout, this, &SimServer::pushUplink);
    }
}

SimServer::~SimServer()
{
    for (QWebSocket* socket : m_sessions.keys()) {
        socket->disconnect(this);
        socket->abort();
        delete socket;
    }
}

bool SimServer::listen(QString* error)
{
    if (m_config.secure()) {
        QSslConfiguration ssl;
        if (!loadSslConfiguration(m_config, ssl, error))
            return false;
        m_server->setSslConfiguration(ssl);
    }
    if (!m_server->listen(m_config.address, m_config.port)) {
        *error = QStringLiteral("cannot listen on %1:%2: %3")
                     .arg(m_config.address.toString())
                     .arg(m_config.port)
                     .arg(m_server->errorString());
        return false;
    }
    if (m_config.rxIntervalSeconds > 0)
        m_rxTimer.start();
    return true;
}

QUrl SimServer::url() const
{
    QUrl url;
    url.setScheme(m_config.secure() ? QStringLiteral("wss") : QStringLiteral("ws"));
    url.setHost(m_server->serverAddress().toString());
    url.setPort(m_server->serverPort());
    return url;
}

void SimServer::onNewConnection()
{
    while (QWebSocket* socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        socket->setMaxAllowedIncomingFrameSize(static_cast<quint64>(m_config.maxMessageBytes));
        socket->setMaxAllowedIncomingMessageSize(static_cast<quint64>(m_config.maxMessageBytes));
        const SimSession session{m_nextClientId++, {}, {}};
        m_sessions.insert(socket, session);
        m_log.event(session.id, QStringLiteral("connected from %1:%2")
                                    .arg(socket->peerAddress().toString())
                                    .arg(socket->peerPort()));
        connect(socket, &QWebSocket::textMessageReceived, this,
                [this, socket](const QString& text) { onTextMessage(socket, text); });
        connect(socket, &QWebSocket::binaryMessageReceived, this,
                [this, socket](const QByteArray& data) { onBinaryMessage(socket, data); });
        connect(socket, &QWebSocket::disconnected, this, [this, socket] { onDisconnected(socket); });
    }
}

void SimServer::onTextMessage(QWebSocket* socket, const QString& text)
{
    const auto it = m_sessions.find(socket);
    if (it == m_sessions.end())
        return;
    const QByteArray utf8 = text.toUtf8();
    const ParsedFrame frame = SimRequestHandler::parseFrame(utf8);
    m_log.frame(FrameLog::Direction::In, it->id, frame.cmd, utf8.size(),
                frame.problem.isEmpty() ? QString() : QStringLiteral("(%1)").arg(frame.problem));
    if (frame.errorReply) {
        send(socket, *frame.errorReply);
        return;
    }
    send(socket, m_handler.handle(frame.request, frame.cmd, *it));
}

void SimServer::onBinaryMessage(QWebSocket* socket, const QByteArray& data)
{
    const auto it = m_sessions.constFind(socket);
    if (it == m_sessions.constEnd())
        return;
    m_log.frame(FrameLog::Direction::In, it->id, QString(), data.size(), QStringLiteral("(binary frame)"));
    send(socket, SimRequestHandler::errorReply(SimVocabulary::Error::binaryFrame));
}

void SimServer::onDisconnected(QWebSocket* socket)
{
    const auto it = m_sessions.constFind(socket);
    if (it == m_sessions.constEnd())
        return;
    m_log.event(
        it->id,
        QStringLiteral("disconnected (close code %1%2)")
            .arg(socket->closeCode())
            .arg(socket->closeReason().isEmpty() ? QString() : QStringLiteral(", ") + socket->closeReason()));
    m_sessions.erase(it);
    // A message may still be on its way to this socket's slots: delete it later.
    socket->deleteLater();
}

void SimServer::send(QWebSocket* socket, const SimReply& reply)
{
    const auto it = m_sessions.constFind(socket);
    if (it == m_sessions.constEnd())
        return;
    const qint64 size = reply.text.toUtf8().size();
    m_log.frame(FrameLog::Direction::Out, it->id, reply.message.value(K::cmd).toString(), size,
                summary(reply.message));
    socket->sendTextMessage(reply.text);
}

bool SimServer::pushUplink()
{
    QList<QWebSocket*> listeners;
    for (auto it = m_sessions.constBegin(); it != m_sessions.constEnd(); ++it) {
        if (it->loggedIn())
            listeners.append(it.key());
    }
    const QStringList devEuis = m_store.devEuis();
    if (listeners.isEmpty() || devEuis.isEmpty())
        return false;
    QRandomGenerator* random = QRandomGenerator::global();
    const QString devEui = devEuis.at(random->bounded(devEuis.size()));
    const int fcnt = m_uplinkCounters[devEui]++;
    const quint32 payload = random->generate();
    const QJsonObject uplink{
        {K::cmd, Protocol::Cmd::rx},
        {K::type, fcnt % 4 == 3 ? Protocol::UplinkType::confirmed : Protocol::UplinkType::unconfirmed},
        {K::devEui, devEui},
        {K::port, 2},
        {K::data, QString::fromLatin1(QByteArray::number(payload, 16).rightJustified(8, '0').toUpper())},
        {SimVocabulary::Key::fcnt, fcnt},
        {SimVocabulary::Key::ts, static_cast<double>(QDateTime::currentMSecsSinceEpoch())},
        {SimVocabulary::Key::rssi, -60 - random->bounded(60)},
        {SimVocabulary::Key::snr, random->bounded(20) - 7}};
    for (QWebSocket* socket : listeners)
        send(socket, uplink);
    // A class A device can take a downlink only right after an uplink.
    if (const auto downlink = m_handler.takeDownlink(devEui)) {
        m_log.event(0, QStringLiteral("downlink sent devEui=%1 port=%2 data=%3 after uplink fcnt=%4")
                           .arg(devEui)
                           .arg(downlink->value(K::port).toInt())
                           .arg(downlink->value(K::data).toString())
                           .arg(fcnt));
    }
    return true;
}
