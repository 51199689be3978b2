#include "JsonInput.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace JsonInput {

std::optional<QJsonObject> parseObject(const QByteArray& utf8, QString* problem)
{
    // A check for repeated keys, which QJsonDocument keeps silently (the last one wins), goes
    // here, before fromJson.
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(utf8, &error);
    if (error.error != QJsonParseError::NoError) {
        if (problem)
            *problem = QStringLiteral("not JSON: %1 at offset %2").arg(error.errorString()).arg(error.offset);
        return std::nullopt;
    }
    if (!document.isObject()) {
        if (problem)
            *problem = QStringLiteral("not a JSON object");
        return std::nullopt;
    }
    return document.object();
}

} // namespace JsonInput
