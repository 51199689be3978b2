#pragma once

#include <QDateTime>
#include <QString>

// Keeps a stored presets text that could not be read before a save replaces it: a file beside
// the settings file, "<settings file>.presets-<yyyyMMdd-HHmmss>.bak" (then "-2", "-3" ... for
// more in the same second), never written over.
namespace PresetsBackup {

// The path of the file written, or an empty text when none could be written.
QString keep(const QString& presetsText, const QString& settingsFilePath,
             const QDateTime& now = QDateTime::currentDateTime());

} // namespace PresetsBackup
