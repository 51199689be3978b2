#include "app/AppStartup.h"

#include "server/CMessageParser.h"
#include "server/CServerClient.h"

#include <QCoreApplication>
#include <QTranslator>

namespace AppStartup {

const char* const version = "1.6.4";

QString applicationName()
{
    return QStringLiteral("Ravlo ") + QLatin1String(version);
}

bool installCatalogue(QCoreApplication& app, QTranslator& translator, const QString& language)
{
    const bool loaded = translator.load(QStringLiteral(":/Translations/ravlo_") + language);
    app.installTranslator(&translator);
    return loaded;
}

void connectClientToParser()
{
    QObject::connect(CServerClient::instance(), &QWebSocket::textMessageReceived, CMessageParser::instance(),
                     &CMessageParser::processReceivedMessage,
                     Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
}

} // namespace AppStartup
