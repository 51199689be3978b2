#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;
class QTranslator;

namespace AppStartup {

// "1.6.4": the program's version, used only to form the application name.
extern const char* const version;

// "Ravlo 1.6.4"
QString applicationName();

// Loads the catalogue for the language code into the translator and installs it,
// whether or not it loaded: without a catalogue every text stays in Russian.
bool installCatalogue(QCoreApplication& app, QTranslator& translator, const QString& language);

// The program and arguments a restart starts: the same arguments as this run was given (the
// program's own path, the first of the running arguments, is not passed again). The program is
// the platform's path of the running program file, or the first argument when that is unknown.
struct RestartCommand
{
    QString program;
    QStringList arguments;
};
RestartCommand restartCommand(const QStringList& runningArguments, const QString& applicationFilePath);

} // namespace AppStartup
