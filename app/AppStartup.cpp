#include "app/AppStartup.h"

#include <QCoreApplication>
#include <QTranslator>

namespace AppStartup {

// Written once, in the project() of the top CMakeLists.txt.
const char* const version = RAVLO_VERSION;

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

RestartCommand restartCommand(const QStringList& runningArguments, const QString& applicationFilePath)
{
    RestartCommand command;
    command.program = applicationFilePath.isEmpty() ? runningArguments.value(0) : applicationFilePath;
    command.arguments = runningArguments.mid(1);
    return command;
}

} // namespace AppStartup
