#pragma once

#include <QJsonObject>
#include <QString>

// Whether a device read back from the database has the shape the store writes: a DevEUI that
// matches its row, complete upper-case keys, a DevAddr inside 32 bits and settings the
// registration rules accept. A device that passes can be held and served like one that was
// just registered; anything else in the file (edited by hand, written by another version,
// damaged) is named and skipped instead of being read as a wrong value.
namespace StoredDeviceCheck {

// "" when `device`, kept in the row of `devEui`, is sound; otherwise what is wrong with it,
// naming the field and its value ("\"ABP\".\"devAddress\" -5: not a whole number 1..4294967295").
QString problem(const QString& devEui, const QJsonObject& device);

// True when text is `digits` hex digits in upper case, as the store keeps identifiers and keys.
bool isUpperHex(const QString& text, int digits);

// A JSON value as compact text cut to a few dozen characters, for a log line.
QString shown(const QJsonValue& value);

} // namespace StoredDeviceCheck
