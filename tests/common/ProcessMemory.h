#pragma once

#include <QFile>
#include <QList>

#include <unistd.h>

// The resident size of this process in bytes, from /proc/self/statm; 0 when it cannot be read.
inline qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * qint64(sysconf(_SC_PAGESIZE)) : 0;
}

// AddressSanitizer keeps freed memory in quarantine, so there the resident size grows whether or
// not anything leaks; its own leak check at exit looks for leaks instead.
inline bool residentSizeShowsLeaks()
{
#if defined(__SANITIZE_ADDRESS__)
    return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return false;
#else
    return true;
#endif
#else
    return true;
#endif
}
