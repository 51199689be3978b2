#include "intake/KeyFile.h"

#include "foundation/DebugLog.h"
#include "intake/ScanDecoder.h"
#include "server/Protocol.h"

#include <QFile>
#include <QStringList>
#include <QVector>

namespace {

bool hasKeys(const QString& appKey, const QString& appsKey, const QString& nwksKey)
{
    return !appKey.isEmpty() || (!appsKey.isEmpty() && !nwksKey.isEmpty());
}

// One line of the file; an entry without a DevEUI when the line has none.
KeyFile::Entry parseLine(const QString& line)
{
    namespace Key = Protocol::LabelKey;
    KeyFile::Entry entry;
    const QStringList tokens = line.split(QLatin1Char(' '), Qt::KeepEmptyParts);
    for (const QString& token : tokens) {
        const int equals = token.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = token.left(equals);
        const QString value = token.mid(equals + 1);
        if (key == Key::devEui)
            entry.devEui = value.toUpper();
        else if (key == Key::appEui)
            entry.appEui = value.toUpper();
        else if (key == Key::appKey)
            entry.appKey = value.toUpper();
        else if (key == Key::appSKey)
            entry.appsKey = value.toUpper();
        else if (key == Key::nwkSKey)
            entry.nwksKey = value.toUpper();
        else if (key == Key::devAddr)
            entry.devAddress = ScanDecoder::devAddrValue(value);
        // SerNum and unknown keys carry no keys: nothing to keep.
    }
    return entry;
}

} // namespace

KeyFile::LoadResult KeyFile::load(const QString& path)
{
    LoadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = tr("Не удалось открыть файл ключей: %1").arg(file.errorString());
        DEBUG_LOG << "key file" << path << "not opened:" << file.errorString();
        return result;
    }
    if (file.size() > maxFileBytes) {
        result.opened = true;
        result.error = tr("Файл ключей слишком велик (больше %1 МБ)").arg(maxFileBytes / (1024 * 1024));
        DEBUG_LOG << "key file" << path << "too large:" << file.size() << "bytes";
        return result;
    }
    result = loadText(QString::fromLocal8Bit(file.readAll()));
    DEBUG_LOG << "key file" << path << ":" << result.entries << "devices," << result.skippedLines
              << "lines without keys," << result.repeated << "repeated DevEUIs";
    return result;
}

KeyFile::LoadResult KeyFile::loadText(const QString& text)
{
    LoadResult result;
    result.opened = true;
    QHash<QString, Entry> entries;
    const QVector<QStringRef> lines = text.splitRef(QLatin1Char('\n'));
    for (QStringRef line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        ++result.lines;
        Entry entry = parseLine(line.toString());
        if (entry.devEui.isEmpty() || !hasKeys(entry.appKey, entry.appsKey, entry.nwksKey)) {
            ++result.skippedLines;
            continue;
        }
        if (entries.contains(entry.devEui))
            ++result.repeated;
        const QString devEui = entry.devEui;
        entries.insert(devEui, std::move(entry));
    }
    result.entries = entries.size();
    if (entries.isEmpty()) {
        result.error = tr("В файле нет ни одной строки с DevEUI и ключами (AppKey или AppSKey и NwkSKey)");
        return result;
    }
    m_entries = std::move(entries);
    return result;
}

const KeyFile::Entry* KeyFile::find(const QString& devEui) const
{
    const auto it = m_entries.constFind(devEui.toUpper());
    return it == m_entries.constEnd() ? nullptr : &it.value();
}

KeyFile::Completion KeyFile::complete(LoRaDevice& device) const
{
    if (m_entries.isEmpty() || device.devEui.isEmpty() ||
        hasKeys(device.appKey, device.appsKey, device.nwksKey))
        return Completion::notApplied;
    const Entry* entry = find(device.devEui);
    if (!entry)
        return Completion::noEntry;
    const auto fill = [](QString& field, const QString& value) {
        if (field.isEmpty())
            field = value;
    };
    fill(device.appKey, entry->appKey);
    fill(device.appsKey, entry->appsKey);
    fill(device.nwksKey, entry->nwksKey);
    fill(device.appEui, entry->appEui);
    if (device.devAddress == 0)
        device.devAddress = entry->devAddress;
    return Completion::fromKeyFile;
}

QString KeyFile::completionText(Completion completion)
{
    switch (completion) {
    case Completion::notApplied:
        return QString();
    case Completion::fromKeyFile:
        return tr("Ключи взяты из файла ключей");
    case Completion::noEntry:
        return tr("В файле ключей нет ключей для этого DevEUI");
    }
    return QString();
}
