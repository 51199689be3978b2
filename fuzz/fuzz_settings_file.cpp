// A "settings.cfg" of any content: every key read, then one written, which backs up a file
// that was partly unreadable.
#include "FuzzSupport.h"

#include "foundation/CSettings.h"
#include "foundation/SettingsFileScreen.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

namespace {
// The last key of the store.
constexpr int lastKey = CSettings::loginTimeoutMs;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzSupport::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Cutting lines out leaves the others as they were read: a screened text has nothing left
    // to drop.
    const ScreenedSettingsText screened =
        SettingsFileScreen::withoutSerializedValues(FuzzSupport::bytes(data, size));
    if (!SettingsFileScreen::withoutSerializedValues(screened.text).droppedKeys.isEmpty())
        abort();

    static QTemporaryDir dir;
    static qint64 inputs = 0;
    const QString path = dir.filePath(QStringLiteral("settings.cfg"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(FuzzSupport::bytes(data, size)) != qint64(size))
            abort();
        // Qt keeps a settings file it has read and reads it again only when its size or time
        // changed: every input gets a time of its own.
        file.setFileTime(QDateTime::fromMSecsSinceEpoch(++inputs), QFileDevice::FileModificationTime);
    }
    {
        CSettings settings(path);
        for (int key = 0; key <= lastKey; ++key) {
            const QVariant value = settings.value(CSettings::keyName(CSettings::ESettings(key)));
            value.toString();
            value.toInt();
            value.toBool();
        }
        settings.allKeys();
        settings.store(CSettings::width, 1280);
    }
    QFile::remove(path);
    QFile::remove(CSettings::backupFilePath(path));
    FuzzSupport::finishInput();
    return 0;
}
