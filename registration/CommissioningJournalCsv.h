#pragma once

#include <QByteArray>
#include <QStringList>
#include <QVector>

// The comma-separated text of the commissioning journal (RFC 4180): a field holding a comma, a
// double quote, CR or LF is written in double quotes with its quotes doubled; every record ends
// with CR LF. Reading also accepts LF alone as the line end.
namespace JournalCsv {

QByteArray encodeRecord(const QStringList& fields);

struct Parsed
{
    QVector<QStringList> records; // every record that its line end finished
    qint64 completeBytes = 0;     // where the last finished record ends; anything after it is unfinished
};

// Records of UTF-8 text. A record without its line end (a line cut off by a crash) is not one.
Parsed parse(const QByteArray& data);

} // namespace JournalCsv
