#include "JsonInput.h"

#include "foundation/JsonGuard.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace JsonInput {

std::optional<QJsonObject> parseObject(const QByteArray& utf8, QString* problem)
{
    // QJsonDocument keeps only the last of repeated keys and loses the memory of the earlier
    // value when it is an array or an object: such a text never reaches it.
    const RepeatedJsonKey repeated = JsonGuard::findRepeatedKey(utf8);
    if (repeated.found) {
        if (problem)
            *problem = repeated.description();
        return std::nullopt;
    }
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
