#pragma once

#include <QByteArray>
#include <QString>

// The top-level "cmd" text of a frame, read without building a JSON document: for a frame that
// is refused before Qt's parser may see it, so that the request it answers is still known.
// Empty when the frame has no such text (or the text ends before one comes); the last one
// counts when the key repeats.
namespace FrameCommand {
QString of(const QByteArray& utf8);
QString of(const QString& text);
} // namespace FrameCommand
