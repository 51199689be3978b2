#pragma once

#include <QString>

// The text shown to the operator for a registration status word of the server.
// Returns a null string for a status that has no text (the page then shows nothing new).
QString registrationStatusText(const QString& status);
