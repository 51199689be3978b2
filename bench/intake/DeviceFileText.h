#pragma once

#include <QByteArray>
#include <QString>

// The device file the bulk-load benchmarks read: `lines` devices of about 105 characters each
// (100 000 lines make 10.5 MB), the DevEUIs counting up from `first`, digits in lower case so
// that every value is upper-cased. run_device_file_bench.py writes the same lines.
inline QByteArray deviceFileText(int lines, int first = 0)
{
    QByteArray text;
    text.reserve(lines * 106);
    for (int i = first; i < first + lines; ++i) {
        text +=
            QStringLiteral("DevEUI=70b3d5e75e%1 AppEUI=70b3d5e75e000001 AppKey=2b7e151628aed2a6abf71588%2 "
                           "SerNum=SN%3\n")
                .arg(i, 6, 16, QLatin1Char('0'))
                .arg(i, 8, 16, QLatin1Char('0'))
                .arg(i, 7, 10, QLatin1Char('0'))
                .toLatin1();
    }
    return text;
}
