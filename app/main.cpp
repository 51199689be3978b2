#include "app/AppStartup.h"
#include "app/CMainWindow.h"
#include "foundation/CSettings.h"
#include "foundation/DebugLog.h"
#include "intake/ScannedDevices.h"
#include "resources/RavloResources.h"
#include "server/CMessageParser.h"
#include "server/CServerClient.h"
#include "server/ServerRecords.h"

#include <QApplication>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(AppStartup::applicationName());
    initRavloResources();
    registerProtocolMetaTypes();

    CSettings::instance(&app);
    ScannedDevices::instance(&app);

    QTranslator translator;
    const QString language = CSettings::readValue(CSettings::language).toString();
    DEBUG_LOG << "language:" << language;
    AppStartup::installCatalogue(app, translator, language);

    CServerClient::instance(QStringLiteral("ws://"), &app);
    CMessageParser::instance(&app);
    CMessageParser::connectClientToParser();

    CSettings::seedFileNameKeys();
    CSettings::loadLastSendEui();

    CMainWindow window;
    window.show();
    return app.exec();
}
