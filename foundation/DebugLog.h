#pragma once

#include <QDebug>

// Every diagnostic line has one form: "{<full signature>}[<line>] - <items separated by blanks>".
// Write them only through DEBUG_LOG so the form stays the same everywhere:
//     DEBUG_LOG << "State changed:" << name;
QDebug debugLogLine(const char* function, int line);

#define DEBUG_LOG debugLogLine(Q_FUNC_INFO, __LINE__)

// The same form at critical level, for failures the operator is told about as well.
QDebug criticalLogLine(const char* function, int line);

#define CRITICAL_LOG criticalLogLine(Q_FUNC_INFO, __LINE__)
