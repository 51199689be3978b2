#pragma once

#include <QString>

#include <cstdio>

// The simulator's output: one line per frame in and out and per event, each flushed at once
// so that an operator (or a test reading the process output) follows the exchange live.
//   in  2025-05-03T10:00:00.123 client=1 cmd=auth_req size=45
//   out 2025-05-03T10:00:00.124 client=1 cmd=auth_resp size=98
//   out 2025-05-03T10:00:00.130 client=1 cmd=manage_devices_resp size=128 added=1
//   --  2025-05-03T10:00:00.120 client=1 connected from 127.0.0.1:51234
class FrameLog
{
public:
    enum class Direction
    {
        In,
        Out
    };

    // A null stream keeps the log quiet (benchmarks).
    explicit FrameLog(std::FILE* out = stdout) : m_out(out) {}

    void frame(Direction direction, int client, const QString& cmd, qint64 size,
               const QString& note = QString());
    void event(int client, const QString& text);
    void line(const QString& text);

private:
    std::FILE* m_out;
};
