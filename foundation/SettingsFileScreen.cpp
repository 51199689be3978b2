#include "foundation/SettingsFileScreen.h"

#include <QString>

#include <algorithm>

namespace {

const char byteOrderMark[] = "\xef\xbb\xbf";

bool isLineSpace(char ch)
{
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r';
}

bool isHexDigit(char ch)
{
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

unsigned hexValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return unsigned(ch - '0');
    return unsigned((ch | 0x20) - 'a' + 10);
}

bool isOctalDigit(char ch)
{
    return ch >= '0' && ch <= '7';
}

// One logical line of the file: [start, end), with the position of its first '=' outside quotes.
struct IniLine
{
    int start = 0;
    int end = 0;
    int equals = -1;
};

// Reads the logical line that begins at or after pos the way Qt does: leading blanks and empty
// lines skipped, comment lines (';' first) skipped, quotes spanning line ends, a backslash taking
// the next character (an escaped line end continues the line), and a ';' outside quotes ending
// it. pos moves past the line; false when no line is left.
bool readIniLine(const QByteArray& data, int& pos, IniLine& line)
{
    const int size = data.size();
    bool inQuotes = false;
    int start = pos;
    while (start < size && isLineSpace(data.at(start)))
        ++start;
    line.equals = -1;
    int i = start;
    while (i < size) {
        const char ch = data.at(i++);
        if (ch == '=') {
            if (!inQuotes && line.equals == -1)
                line.equals = i - 1;
        } else if (ch == '\n' || ch == '\r') {
            if (i == start + 1) {
                ++start;
            } else if (!inQuotes) {
                --i;
                break;
            }
        } else if (ch == '\\') {
            if (i < size) {
                const char escaped = data.at(i++);
                if (i < size) {
                    const char next = data.at(i);
                    if ((escaped == '\n' && next == '\r') || (escaped == '\r' && next == '\n'))
                        ++i;
                }
            }
        } else if (ch == '"') {
            inQuotes = !inQuotes;
        } else if (ch == ';') {
            if (i == start + 1) {
                while (i < size && data.at(i) != '\n' && data.at(i) != '\r')
                    ++i;
                while (i < size && isLineSpace(data.at(i)))
                    ++i;
                start = i;
            } else if (!inQuotes) {
                --i;
                break;
            }
        }
    }
    pos = i;
    line.start = start;
    line.end = i;
    return line.end > line.start;
}

char simpleEscape(char code)
{
    switch (code) {
    case 'a':
        return '\a';
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case 'v':
        return '\v';
    case '"':
    case '?':
    case '\'':
    case '\\':
        return code;
    default:
        return 0;
    }
}

// The value in [from, to) as Qt unescapes it: the text, or each element of a comma list. Bytes
// are taken as Latin-1: only the ASCII start of an element matters here, and a UTF-8 reading
// of the same bytes gives the same ASCII characters.
QStringList unescapedElements(const QByteArray& data, int from, int to)
{
    QStringList elements;
    QString current;
    bool inQuotes = false;
    int i = from;
    const auto skipBlanks = [&] {
        while (i < to && (data.at(i) == ' ' || data.at(i) == '\t'))
            ++i;
    };
    skipBlanks();
    while (i < to) {
        const char ch = data.at(i);
        if (ch == '\\') {
            if (++i >= to)
                break;
            const char code = data.at(i++);
            if (const char plain = simpleEscape(code)) {
                current += QLatin1Char(plain);
            } else if (code == 'x') {
                if (i < to && isHexDigit(data.at(i))) {
                    unsigned value = 0;
                    while (i < to && isHexDigit(data.at(i)))
                        value = (value << 4) + hexValue(data.at(i++));
                    current += QChar(ushort(value & 0xffff)); // Qt keeps the low 16 bits
                }
            } else if (isOctalDigit(code)) {
                unsigned value = unsigned(code - '0');
                while (i < to && isOctalDigit(data.at(i)))
                    value = (value << 3) + unsigned(data.at(i++) - '0');
                current += QChar(ushort(value & 0xffff));
            } else if (code == '\n' || code == '\r') {
                if (i < to && (data.at(i) == '\n' || data.at(i) == '\r') && data.at(i) != code)
                    ++i;
            }
            // any other escaped character is dropped, as Qt drops it
        } else if (ch == '"') {
            ++i;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipBlanks();
        } else if (ch == ',' && !inQuotes) {
            elements.append(current);
            current.clear();
            ++i;
            skipBlanks();
        } else {
            int j = i + 1;
            while (j < to && data.at(j) != '\\' && data.at(j) != '"' && data.at(j) != ',')
                ++j;
            // In a file that begins with a byte order mark Qt decodes each run of plain bytes as
            // UTF-8, which drops a byte order mark at the run's start.
            if (j - i >= 3 && std::equal(byteOrderMark, byteOrderMark + 3, data.constData() + i))
                i += 3;
            current += QString::fromLatin1(data.constData() + i, j - i);
            i = j;
        }
    }
    elements.append(current);
    return elements;
}

bool isSerializedValue(const QString& element)
{
    return element.startsWith(QLatin1String("@Variant(")) || element.startsWith(QLatin1String("@DateTime("));
}

} // namespace

ScreenedSettingsText SettingsFileScreen::withoutSerializedValues(const QByteArray& iniText)
{
    ScreenedSettingsText result;
    int pos = iniText.startsWith(byteOrderMark) ? 3 : 0; // Qt skips a byte order mark
    int kept = 0;                                        // start of the text not yet copied
    IniLine line;
    while (readIniLine(iniText, pos, line)) {
        if (iniText.at(line.start) == '[' || line.equals < 0)
            continue; // a section name, or a line Qt refuses
        const QStringList elements = unescapedElements(iniText, line.equals + 1, line.end);
        if (std::none_of(elements.cbegin(), elements.cend(), isSerializedValue))
            continue;
        result.text += iniText.mid(kept, line.start - kept);
        kept = line.end;
        result.droppedKeys.append(
            QString::fromLatin1(iniText.mid(line.start, line.equals - line.start).trimmed()));
    }
    if (result.droppedKeys.isEmpty())
        result.text = iniText;
    else
        result.text += iniText.mid(kept);
    return result;
}
