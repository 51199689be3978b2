#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

// Every JSON text the simulator reads from outside goes through here: request frames, stored
// device rows and JSON texts carried inside request fields. One door, so that whatever must
// be checked in such a text before Qt parses it is checked everywhere at once.
namespace JsonInput {

// The object a UTF-8 JSON text holds; nullopt, with what is wrong in `problem`, when the text
// is no JSON, repeats a key within one of its objects or holds something other than an object.
std::optional<QJsonObject> parseObject(const QByteArray& utf8, QString* problem = nullptr);

} // namespace JsonInput
