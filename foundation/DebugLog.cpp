#include "foundation/DebugLog.h"

QDebug debugLogLine(const char* function, int line)
{
    QDebug out = qDebug().noquote();
    out << QStringLiteral("{%1}[%2] -").arg(QString::fromLatin1(function)).arg(line);
    return out;
}

QDebug criticalLogLine(const char* function, int line)
{
    QDebug out = qCritical().noquote();
    out << QStringLiteral("{%1}[%2] -").arg(QString::fromLatin1(function)).arg(line);
    return out;
}
