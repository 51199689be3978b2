#pragma once

#include "server/LoRaDevice.h"

#include <QCoreApplication>
#include <QHash>
#include <QString>

// The device maker's key file: the keys of devices whose labels carry none (a LoRaWAN "LW:" code
// names only the EUIs). One device per line, blank-separated key=value tokens as in the device
// file: a token's key is the text before its first "=" and must be one of the label keys exactly
// (DevEUI, AppEUI, AppKey, DevAdd, AppSKey, NwkSKey, SerNum); a token without "=" sets nothing.
// A line is taken when it has a DevEUI and an AppKey, or a DevEUI and both session keys.
//
// The keys live in this object only: nothing here writes them to a file, the settings or the log.
class KeyFile
{
    Q_DECLARE_TR_FUNCTIONS(KeyFile)

public:
    struct Entry
    {
        QString devEui; // all values upper-cased
        QString appEui;
        QString appKey;
        quint32 devAddress = 0; // 0: none given
        QString appsKey;
        QString nwksKey;
    };

    struct LoadResult
    {
        bool opened = false;
        int lines = 0;        // non-empty lines read
        int entries = 0;      // devices taken
        int skippedLines = 0; // non-empty lines without a DevEUI and keys
        int repeated = 0;     // lines whose DevEUI an earlier line had already given (the later wins)
        QString error;        // for the operator; empty on success

        bool ok() const { return error.isEmpty(); }
    };

    // What completing a scanned device did.
    enum class Completion
    {
        notApplied, // no key file, no DevEUI, or the scan carried its keys itself
        fromKeyFile,
        noEntry // keys are missing and the key file has none for this DevEUI
    };

    // Largest key file read; anything bigger is not a key file.
    static constexpr qint64 maxFileBytes = 64 * 1024 * 1024;

    // Reads a key file. On success its devices replace the ones held; on failure (the file cannot
    // be read, or holds no device with keys) the ones held stay and the result says why.
    LoadResult load(const QString& path);
    // The same for text already read; used by load.
    LoadResult loadText(const QString& text);

    bool isEmpty() const { return m_entries.isEmpty(); }
    int size() const { return m_entries.size(); }
    void clear() { m_entries.clear(); }
    // The entry of a DevEUI, in any letter case; null when there is none.
    const Entry* find(const QString& devEui) const;

    // Fills in the keys of a scanned device that carries neither an AppKey nor both session keys:
    // AppKey, session keys, DevAddr and AppEUI from its entry, each only where the scan left it
    // empty.
    Completion complete(LoRaDevice& device) const;
    // The note the operator sees for fromKeyFile and noEntry; empty for notApplied.
    static QString completionText(Completion completion);

private:
    QHash<QString, Entry> m_entries; // by upper-cased DevEUI
};
