#pragma once

#include <QString>

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

} // namespace AppStartup
