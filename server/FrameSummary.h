#pragma once

#include <QString>

// What a log line says about a frame instead of its text: its command, how many entries its
// list holds, and its size, e.g. "manage_devices_req, 1000 devices, 712345 bytes".
QString frameSummary(const QString& frame, qint64 utf8Bytes);
