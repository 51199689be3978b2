#include "foundation/JsonGuard.h"

#include <QRandomGenerator>

#include <cstring>
#include <string>

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The four hexadecimal digits at text, or -1.
int hexUnit(const char* text, const char* end)
{
    if (end - text < 4)
        return -1;
    int unit = 0;
    for (int i = 0; i < 4; ++i) {
        const int digit = hexDigit(text[i]);
        if (digit < 0)
            return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

// UTF-8 of a code point; a lone surrogate gets the three bytes of its value, so that two equal
// lone surrogates still make equal keys.
void appendUtf8(std::string& out, unsigned codePoint)
{
    if (codePoint < 0x80) {
        out += char(codePoint);
    } else if (codePoint < 0x800) {
        out += char(0xC0 | (codePoint >> 6));
        out += char(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += char(0xE0 | (codePoint >> 12));
        out += char(0x80 | ((codePoint >> 6) & 0x3F));
        out += char(0x80 | (codePoint & 0x3F));
    } else {
        out += char(0xF0 | (codePoint >> 18));
        out += char(0x80 | ((codePoint >> 12) & 0x3F));
        out += char(0x80 | ((codePoint >> 6) & 0x3F));
        out += char(0x80 | (codePoint & 0x3F));
    }
}

// The unescaped content of a string between begin and end (the quotes excluded), as Qt's
// parser reads it; false for a \u escape without four hexadecimal digits, which Qt refuses.
bool unescape(const char* begin, const char* end, std::string& out)
{
    out.clear();
    for (const char* at = begin; at < end; ++at) {
        if (*at != '\\') {
            out += *at;
            continue;
        }
        if (++at == end)
            return false;
        switch (*at) {
        case '"':
        case '\\':
        case '/':
            out += *at;
            break;
        case 'b':
            out += '\b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'u': {
            int unit = hexUnit(at + 1, end);
            if (unit < 0)
                return false;
            at += 4;
            unsigned codePoint = unsigned(unit);
            // A high surrogate followed by an escaped low one is one character.
            if (unit >= 0xD800 && unit < 0xDC00 && end - at > 6 && at[1] == '\\' && at[2] == 'u') {
                const int low = hexUnit(at + 3, end);
                if (low >= 0xDC00 && low < 0xE000) {
                    codePoint = 0x10000 + ((unsigned(unit) - 0xD800) << 10) + (unsigned(low) - 0xDC00);
                    at += 6;
                }
            }
            appendUtf8(out, codePoint);
            break;
        }
        default: {
            // Qt's parser reads any other escaped byte as a character of that value, a byte
            // above 0x7F sign-extended where char is signed; a value past 0xFFFF becomes two
            // code units by Qt's surrogate arithmetic. The key must read the same here.
            const unsigned value = unsigned(int(*at));
            if (value < 0x10000) {
                appendUtf8(out, value);
            } else {
                appendUtf8(out, ((value >> 10) + 0xD7C0u) & 0xFFFFu);
                appendUtf8(out, (value % 0x400u) + 0xDC00u);
            }
            break;
        }
        }
    }
    return true;
}

// The end of the string whose opening quote is at `quote`: its closing quote, or nullptr when
// the text ends first. Tells whether the string holds escapes.
const char* stringEnd(const char* quote, const char* end, bool* escaped)
{
    *escaped = false;
    const char* at = quote + 1;
    while (at < end) {
        const char* stop = static_cast<const char*>(std::memchr(at, '"', size_t(end - at)));
        if (!stop)
            return nullptr;
        // The quote ends the string unless an odd number of backslashes stands before it.
        const char* backslash = stop;
        while (backslash > at && backslash[-1] == '\\')
            --backslash;
        if (backslash != stop || std::memchr(at, '\\', size_t(stop - at)))
            *escaped = true;
        if ((stop - backslash) % 2 == 0)
            return stop;
        at = stop + 1;
    }
    return nullptr;
}

// The text of an unescaped key. Unlike QString::fromUtf8 it keeps the lone surrogates an
// escape may give (as Qt's JSON parser does); bytes that are no UTF-8 become U+FFFD.
QString keyText(const char* key, std::size_t length)
{
    QString text;
    text.reserve(int(length));
    const auto* at = reinterpret_cast<const unsigned char*>(key);
    const auto* const end = at + length;
    while (at < end) {
        const unsigned lead = *at++;
        // A stray continuation byte or a lead byte above 0xF7 starts no character.
        int continuation = lead < 0x80   ? 0
                           : lead < 0xC0 ? -1
                           : lead < 0xE0 ? 1
                           : lead < 0xF0 ? 2
                           : lead < 0xF8 ? 3
                                         : -1;
        if (continuation < 0 || end - at < continuation) {
            text += QChar(QChar::ReplacementCharacter);
            continue;
        }
        unsigned codePoint = continuation == 0 ? lead : lead & (0x3Fu >> continuation);
        for (; continuation > 0; --continuation)
            codePoint = (codePoint << 6) | (*at++ & 0x3Fu);
        if (codePoint > 0x10FFFF) {
            text += QChar(QChar::ReplacementCharacter);
        } else if (codePoint >= 0x10000) {
            text += QChar(QChar::highSurrogate(codePoint));
            text += QChar(QChar::lowSurrogate(codePoint));
        } else {
            text += QChar(char16_t(codePoint));
        }
    }
    return text;
}

} // namespace

std::uint64_t JsonGuardDetail::hashSeed()
{
    static const std::uint64_t seed = QRandomGenerator::system()->generate64();
    return seed;
}

QString RepeatedJsonKey::description() const
{
    constexpr int shownCharacters = 64;
    const QString shown =
        key.size() > shownCharacters ? key.left(shownCharacters) + QStringLiteral("...") : key;
    return QStringLiteral("repeated key \"%1\" at offset %2").arg(shown).arg(offset);
}

RepeatedJsonKey JsonGuard::findRepeatedKey(const QByteArray& utf8)
{
    return findRepeatedKey(utf8.constData(), utf8.size());
}

RepeatedJsonKey JsonGuard::findRepeatedKey(const char* utf8, qint64 size)
{
    RepeatedJsonKey result;
    if (!utf8 || size <= 0)
        return result;
    const char* const begin = utf8;
    const char* const end = utf8 + size;
    JsonObjectKeys<char> keys;
    std::vector<char> containers; // '{' or '[' of every container still open
    bool expectKey = false;       // the next string in the innermost object is a key
    std::string unescaped;
    for (const char* at = begin; at < end; ++at) {
        switch (*at) {
        case '{':
            if (containers.size() >= size_t(maxDepth))
                return result;
            containers.push_back('{');
            keys.enterObject();
            expectKey = true;
            break;
        case '[':
            if (containers.size() >= size_t(maxDepth))
                return result;
            containers.push_back('[');
            expectKey = false;
            break;
        case '}':
            if (containers.empty() || containers.back() != '{')
                return result; // not JSON: the parser says so
            containers.pop_back();
            keys.leaveObject();
            expectKey = false;
            break;
        case ']':
            if (containers.empty() || containers.back() != '[')
                return result;
            containers.pop_back();
            expectKey = false;
            break;
        case ',':
            expectKey = !containers.empty() && containers.back() == '{';
            break;
        case ':':
            expectKey = false;
            break;
        case '"': {
            bool escaped = false;
            const char* close = stringEnd(at, end, &escaped);
            if (!close)
                return result;
            if (expectKey && !containers.empty() && containers.back() == '{') {
                const char* keyBegin = at + 1;
                std::size_t length = std::size_t(close - keyBegin);
                if (escaped) {
                    if (!unescape(keyBegin, close, unescaped))
                        return result;
                    keyBegin = unescaped.data();
                    length = unescaped.size();
                }
                if (!keys.insert(keyBegin, length)) {
                    result.found = true;
                    result.offset = at - begin;
                    result.key = keyText(keyBegin, length);
                    return result;
                }
            }
            expectKey = false;
            at = close;
            break;
        }
        default:
            break;
        }
    }
    return result;
}
