#pragma once

#include "server/LoRaDevice.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>

// The device file of a bulk registration: one device per line (LF or CR LF), tokens separated
// by single spaces, each token key=value in any order. Keys, in exact letter case:
//   DevEUI, AppKey, AppEUI, AppSKey, NwkSKey  stored upper-cased
//   DevAdd                                    DevAddr read as hexadecimal (0 when it is not)
//   SerNum                                    serial number, stored as written
// A token's key is the text before its first "="; the value is all after it (it may hold "="
// itself). A token without "=" or with another key sets nothing, so a header line such as
// "DevEUI AppEUI AppKey" gives no device. A later token overwrites an earlier one of the same key.
// A line gives a device when it has at least three tokens (empty ones between two spaces
// included) and non-empty DevEUI, AppEUI and AppKey; every other line that is not blank is
// dropped and its number reported. Text is read as UTF-8; a byte order mark at the start is skipped.
class DevicesFile
{
public:
    struct Content
    {
        QVector<LoRaDevice> devices;
        // The number (from 1) of every line that is not blank and gave no device, in file order.
        QVector<int> droppedLines;
    };

    static constexpr int minTokens = 3;
    // Largest file read: a million devices fit many times over, a wrong choice cannot fill memory.
    static constexpr qint64 maxFileBytes = 512ll * 1024 * 1024;

    // Lines read between two calls of the pause function of parse and read.
    static constexpr int linesPerPause = 4096;
    // Called now and then while a long file is read, e.g. to let the window repaint.
    using Pause = std::function<void()>;

    // The devices of a whole file's text.
    static Content parse(const QByteArray& text, const Pause& pause = Pause());
    // One line without its line end: true and the device when the line gives one.
    static bool parseLine(const QByteArray& line, LoRaDevice* device);
    // Reads and parses a file; false (with the reason in error) when it cannot be read.
    static bool read(const QString& path, Content* content, QString* error = nullptr,
                     const Pause& pause = Pause());

    // "3, 7, 12" for dropped lines, at most `shown` numbers and then "…".
    static QString lineList(const QVector<int>& lines, int shown = 50);

private:
    static bool parseLine(const char* begin, const char* end, LoRaDevice* device);
};
