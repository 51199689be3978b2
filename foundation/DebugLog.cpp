#include "foundation/DebugLog.h"

#include <QRegularExpression>

DebugLogLine::DebugLogLine(const char* function, int line, QtMsgType type)
    : m_type(type), m_stream(new QDebug(&m_text))
{
    m_stream->noquote();
    *m_stream << QStringLiteral("{%1}[%2] -").arg(QString::fromLatin1(function)).arg(line);
}

DebugLogLine::~DebugLogLine()
{
    delete m_stream; // writes what it holds into m_text
    if (m_text.endsWith(QLatin1Char(' ')))
        m_text.chop(1);
    const QString line = DebugLog::masked(m_text);
    if (m_type == QtCriticalMsg)
        qCritical().noquote() << line;
    else
        qDebug().noquote() << line;
}

namespace {
const QString hiddenValue = QStringLiteral("***");

// A secret's name, optionally quoted, then ":" or "=" or blanks, then the value: a quoted text
// (with its escapes) or everything up to a blank, comma, semicolon or closing bracket.
const QRegularExpression& namedSecret()
{
    static const QRegularExpression pattern(
        QStringLiteral(
            R"((["']?)\b\w*(password|appkey|appskey|nwkskey)\b\1(\s*[:=]\s*|\s+)("(?:[^"\\]|\\.)*"?|[^\s,;}\]"]+))"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

// A 128-bit key written on its own.
const QRegularExpression& bareKey()
{
    static const QRegularExpression pattern(QStringLiteral(R"(\b[0-9A-Fa-f]{32}\b)"));
    return pattern;
}
} // namespace

QString DebugLog::masked(const QString& line)
{
    QString out;
    int copied = 0;
    QRegularExpressionMatchIterator matches = namedSecret().globalMatch(line);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        const int valueStart = match.capturedStart(4);
        out += line.midRef(copied, valueStart - copied);
        out += match.captured(4).startsWith(QLatin1Char('"'))
                   ? QLatin1Char('"') + hiddenValue + QLatin1Char('"')
                   : hiddenValue;
        copied = match.capturedEnd(4);
    }
    out += line.midRef(copied);
    out.replace(bareKey(), hiddenValue);
    return out;
}

QString DebugLog::hidden(const QString& secret)
{
    return secret.isEmpty() ? QString() : hiddenValue;
}

QString DebugLog::brief(const QString& text, int maxCharacters)
{
    if (text.size() <= maxCharacters)
        return text;
    return text.left(maxCharacters) + QStringLiteral("... (%1 characters)").arg(text.size());
}
