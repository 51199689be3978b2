#include "intake/DevicesFile.h"

#include "foundation/DebugLog.h"

#include <QFile>

#include <cstring>

namespace {

// The value as a QString in upper case. Keys and EUIs are ASCII nearly always: that case is
// done byte by byte without a second pass.
QString upperCased(const char* begin, const char* end)
{
    const int size = int(end - begin);
    QString text(size, Qt::Uninitialized);
    QChar* out = text.data();
    for (const char* p = begin; p != end; ++p, ++out) {
        const uchar c = uchar(*p);
        if (c >= 0x80)
            return QString::fromUtf8(begin, size).toUpper();
        *out = QLatin1Char(char(c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c));
    }
    return text;
}

quint32 hexAddress(const char* begin, const char* end)
{
    bool ok = false;
    const quint32 value = QByteArray::fromRawData(begin, int(end - begin)).toUInt(&ok, 16);
    return ok ? value : 0;
}

bool isBlank(const char* begin, const char* end)
{
    for (const char* p = begin; p != end; ++p) {
        if (*p != ' ' && *p != '\t')
            return false;
    }
    return true;
}

bool keyIs(const char* key, int size, const char (&name)[7])
{
    return size == 6 && std::memcmp(key, name, 6) == 0;
}
bool keyIs(const char* key, int size, const char (&name)[8])
{
    return size == 7 && std::memcmp(key, name, 7) == 0;
}

// Stores one token's value under its key; a token of another key is left alone.
void applyToken(const char* begin, const char* end, LoRaDevice* device)
{
    const char* equals = static_cast<const char*>(std::memchr(begin, '=', size_t(end - begin)));
    if (!equals)
        return;
    const char* key = begin;
    const int keySize = int(equals - begin);
    const char* value = equals + 1;
    if (keyIs(key, keySize, "DevEUI"))
        device->devEui = upperCased(value, end);
    else if (keyIs(key, keySize, "AppKey"))
        device->appKey = upperCased(value, end);
    else if (keyIs(key, keySize, "AppEUI"))
        device->appEui = upperCased(value, end);
    else if (keyIs(key, keySize, "AppSKey"))
        device->appsKey = upperCased(value, end);
    else if (keyIs(key, keySize, "NwkSKey"))
        device->nwksKey = upperCased(value, end);
    else if (keyIs(key, keySize, "DevAdd"))
        device->devAddress = hexAddress(value, end);
    else if (keyIs(key, keySize, "SerNum"))
        device->sn = QString::fromUtf8(value, int(end - value));
}

} // namespace

bool DevicesFile::parseLine(const char* begin, const char* end, LoRaDevice* device)
{
    *device = LoRaDevice();
    int tokens = 0;
    const char* token = begin;
    while (true) {
        const char* space = static_cast<const char*>(std::memchr(token, ' ', size_t(end - token)));
        const char* tokenEnd = space ? space : end;
        ++tokens;
        applyToken(token, tokenEnd, device);
        if (!space)
            break;
        token = space + 1;
    }
    return tokens >= minTokens && device->hasOtaaCredentials();
}

bool DevicesFile::parseLine(const QByteArray& line, LoRaDevice* device)
{
    return parseLine(line.constData(), line.constData() + line.size(), device);
}

DevicesFile::Content DevicesFile::parse(const QByteArray& text, const Pause& pause)
{
    Content content;
    const char* p = text.constData();
    const char* const end = p + text.size();
    if (text.startsWith("\xEF\xBB\xBF"))
        p += 3;
    // About a hundred characters a line: room for all devices at once.
    content.devices.reserve(int(text.size() / 96) + 1);
    LoRaDevice device;
    for (int lineNumber = 1; p < end; ++lineNumber) {
        const char* newline = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p)));
        const char* lineEnd = newline ? newline : end;
        const char* contentEnd = lineEnd > p && lineEnd[-1] == '\r' ? lineEnd - 1 : lineEnd;
        if (!isBlank(p, contentEnd)) {
            if (parseLine(p, contentEnd, &device)) {
                // A delivery's devices mostly share their AppEUI: they share its text as well.
                if (!content.devices.isEmpty() && content.devices.constLast().appEui == device.appEui)
                    device.appEui = content.devices.constLast().appEui;
                content.devices.append(std::move(device));
            } else {
                content.droppedLines.append(lineNumber);
            }
        }
        if (pause && lineNumber % linesPerPause == 0)
            pause();
        p = lineEnd + 1;
    }
    if (!content.droppedLines.isEmpty())
        DEBUG_LOG << "не все поля заполнены в строке!" << content.droppedLines.size() << "lines dropped";
    return content;
}

bool DevicesFile::read(const QString& path, Content* content, QString* error, const Pause& pause)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.size() > maxFileBytes) {
        if (error)
            *error = QStringLiteral("larger than %1 bytes").arg(maxFileBytes);
        return false;
    }
    // A mapped file is read in place, without a copy of its text.
    if (file.size() > 0) {
        if (uchar* mapped = file.map(0, file.size())) {
            *content = parse(QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), int(file.size())),
                             pause);
            file.unmap(mapped);
            return true;
        }
    }
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    *content = parse(text, pause);
    return true;
}

QString DevicesFile::lineList(const QVector<int>& lines, int shown)
{
    QStringList numbers;
    for (int i = 0; i < lines.size() && i < shown; ++i)
        numbers.append(QString::number(lines.at(i)));
    QString text = numbers.join(QStringLiteral(", "));
    if (lines.size() > shown)
        text += QStringLiteral(", …");
    return text;
}
