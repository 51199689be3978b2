#include "registration/CommissioningJournalCsv.h"

namespace JournalCsv {

QByteArray encodeRecord(const QStringList& fields)
{
    QByteArray line;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        const QByteArray field = fields.at(i).toUtf8();
        const bool quoted =
            field.contains(',') || field.contains('"') || field.contains('\r') || field.contains('\n');
        if (!quoted) {
            line += field;
            continue;
        }
        line += '"';
        for (const char c : field) {
            if (c == '"')
                line += '"';
            line += c;
        }
        line += '"';
    }
    line += "\r\n";
    return line;
}

Parsed parse(const QByteArray& data)
{
    Parsed parsed;
    QStringList record;
    QByteArray field;
    bool inQuotes = false;
    bool fieldQuoted = false;
    const auto endField = [&] {
        record << QString::fromUtf8(field);
        field.clear();
        fieldQuoted = false;
    };

    const int size = data.size();
    for (int i = 0; i < size; ++i) {
        const char c = data.at(i);
        if (inQuotes) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < size && data.at(i + 1) == '"') {
                field += '"';
                ++i;
            } else {
                inQuotes = false;
            }
            continue;
        }
        if (c == '"' && field.isEmpty() && !fieldQuoted) {
            inQuotes = true;
            fieldQuoted = true;
        } else if (c == ',') {
            endField();
        } else if (c == '\r' && i + 1 < size && data.at(i + 1) == '\n') {
            continue; // the CR of a CR LF line end
        } else if (c == '\n') {
            endField();
            parsed.records << record;
            record.clear();
            parsed.completeBytes = i + 1;
        } else {
            field += c; // also a quote inside a field that did not start with one
        }
    }
    return parsed;
}

} // namespace JournalCsv
