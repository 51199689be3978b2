#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

// One answer of the simulator: the message, which the log line sums up, and the exact text that
// goes out, always the compact JSON that Qt writes for the message (keys in Qt's order).
struct SimReply
{
    // An answer whose text is written from the message (implicit: handlers return objects).
    SimReply(const QJsonObject& message);

    // An answer whose array under `key` holds `elements`, each the compact JSON text of one
    // element. The text is put together from the element texts instead of writing them again,
    // and comes out as compactJsonText of the message with those elements would. `message` must
    // hold no other array under the same key in a nested object; its copy here keeps the array
    // empty.
    static SimReply withArray(const QJsonObject& message, const QString& key, const QStringList& elements);

    QJsonObject message;
    QString text;
};
