#include "SimReply.h"

#include "server/JsonText.h"

#include <QJsonArray>

SimReply::SimReply(const QJsonObject& message) : message(message), text(compactJsonText(message)) {}

SimReply SimReply::withArray(const QJsonObject& message, const QString& key, const QStringList& elements)
{
    QJsonObject envelope = message;
    envelope.insert(key, QJsonArray());
    SimReply reply(envelope);
    // Qt writes the envelope; the elements go between the brackets of its empty array, which is
    // always there as `"key":[]`. A quote inside a text value is written escaped, so the first
    // match is the key itself.
    const QString emptyArray = QLatin1Char('"') + key + QStringLiteral("\":[]");
    const int found = reply.text.indexOf(emptyArray);
    Q_ASSERT(found >= 0);
    const int close = found + emptyArray.size() - 1;
    qsizetype size = reply.text.size() + elements.size();
    for (const QString& element : elements)
        size += element.size();
    QString text;
    text.reserve(static_cast<int>(size));
    text.append(reply.text.constData(), close);
    for (int i = 0; i < elements.size(); ++i) {
        if (i > 0)
            text.append(QLatin1Char(','));
        text.append(elements.at(i));
    }
    text.append(reply.text.constData() + close, reply.text.size() - close);
    reply.text = std::move(text);
    return reply;
}
