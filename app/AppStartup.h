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

// Hands every text frame the client receives to the parser, on a later pass of the event loop.
// Connects once however often it is called.
void connectClientToParser();

} // namespace AppStartup
