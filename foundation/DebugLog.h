#pragma once

#include <QDebug>
#include <QString>

// Every diagnostic line has one form: "{<full signature>}[<line>] - <items separated by blanks>".
// Write them only through DEBUG_LOG so the form stays the same everywhere:
//     DEBUG_LOG << "State changed:" << name;
// Every line is checked for secrets before it is written: the values of passwords and of the
// AppKey, AppSKey and NwkSKey (under any of their spellings, as JSON, key=value or "key value"),
// and any 128-bit key written as 32 hexadecimal digits, come out as "***".
class DebugLogLine
{
public:
    DebugLogLine(const char* function, int line, QtMsgType type = QtDebugMsg);
    ~DebugLogLine();
    DebugLogLine(const DebugLogLine&) = delete;
    DebugLogLine& operator=(const DebugLogLine&) = delete;

    template <typename T> DebugLogLine& operator<<(const T& item)
    {
        *m_stream << item;
        return *this;
    }

private:
    QtMsgType m_type;
    QString m_text;
    QDebug* m_stream;
};

#define DEBUG_LOG DebugLogLine(Q_FUNC_INFO, __LINE__)

// The same form at critical level, for failures the operator is told about as well.
#define CRITICAL_LOG DebugLogLine(Q_FUNC_INFO, __LINE__, QtCriticalMsg)

namespace DebugLog {
// The line with every secret value replaced by "***".
QString masked(const QString& line);
// A secret as it may be logged: "***" when there is one, nothing when it is empty.
QString hidden(const QString& secret);
// A text short enough for a log line: the text itself up to maxCharacters, otherwise its start
// and its size.
QString brief(const QString& text, int maxCharacters = 200);
} // namespace DebugLog
