#include "registration/PresetsBackup.h"

#include "foundation/DebugLog.h"

#include <QFile>

namespace PresetsBackup {

QString keep(const QString& presetsText, const QString& settingsFilePath, const QDateTime& now)
{
    const QString stem =
        settingsFilePath + QStringLiteral(".presets-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QByteArray content = presetsText.toUtf8();
    constexpr int attempts = 100;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        const QString path =
            stem + (attempt == 1 ? QString() : QStringLiteral("-%1").arg(attempt)) + QStringLiteral(".bak");
        QFile file(path);
        // NewOnly: an earlier backup of the same name is never written over.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (file.exists())
                continue;
            DEBUG_LOG << "presets backup not written:" << path << file.errorString();
            return QString();
        }
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const bool written = file.write(content) == content.size() && file.flush();
        file.close();
        if (!written || file.error() != QFileDevice::NoError) {
            DEBUG_LOG << "presets backup not written:" << path << file.errorString();
            file.remove();
            return QString();
        }
        DEBUG_LOG << "presets that could not be read kept in" << path << "(" << content.size() << "bytes)";
        return path;
    }
    DEBUG_LOG << "presets backup not written: every name from" << stem << "is taken";
    return QString();
}

} // namespace PresetsBackup
