#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace JsonGuardDetail {
// A random value drawn once per process.
std::uint64_t hashSeed();
} // namespace JsonGuardDetail

// The keys of every JSON object still open while a text is read, each object's own set, so that
// a key repeated within one object is seen as soon as it comes. Keys are compared as the reader
// hands them over, after unescaping. Used by the guard below over UTF-8 and by streaming parsers
// in their key events, in any code unit type.
template <typename Ch> class JsonObjectKeys
{
public:
    void enterObject() { m_objects.push_back(Object{m_entries.size(), m_text.size(), {}}); }
    void leaveObject()
    {
        if (m_objects.empty())
            return;
        const Object& object = m_objects.back();
        m_entries.resize(object.firstEntry);
        m_text.resize(object.textMark);
        m_objects.pop_back();
    }
    std::size_t openObjects() const { return m_objects.size(); }

    // false when the innermost open object holds this key already; keys outside any object are
    // not kept.
    bool insert(const Ch* key, std::size_t length)
    {
        if (m_objects.empty())
            return true;
        const std::basic_string_view<Ch> view(key, length);
        const std::size_t hash = hashOf(key, length);
        Object& object = m_objects.back();
        if (object.index.empty()) {
            for (std::size_t i = object.firstEntry; i < m_entries.size(); ++i)
                if (m_entries[i].hash == hash && keyAt(i) == view)
                    return false;
        } else if (indexed(object, hash, view)) {
            return false;
        }
        m_entries.push_back(Entry{hash, m_text.size(), length});
        m_text.insert(m_text.end(), key, key + length);
        const std::size_t count = m_entries.size() - object.firstEntry;
        // Few keys are compared one by one; an object with many gets a hash index, so that a
        // hostile object of a million keys still costs one look-up per key.
        if (count > linearKeys) {
            if (object.index.empty() || count * 2 > object.index.size())
                rebuildIndex(object);
            else
                addToIndex(object, m_entries.size() - 1);
        }
        return true;
    }

private:
    static constexpr std::size_t linearKeys = 16;
    struct Entry
    {
        std::size_t hash;
        std::size_t start;
        std::size_t length;
    };
    struct Object
    {
        std::size_t firstEntry;
        std::size_t textMark;
        std::vector<std::uint32_t> index; // open addressing: entry number + 1, 0 for a free slot
    };

    // FNV-1a, inline: keys are short, and a streaming parser hands over millions of them.
    // Seeded per process, so that a sender cannot choose keys that all land in one slot.
    std::size_t hashOf(const Ch* key, std::size_t length) const
    {
        std::uint64_t hash = m_seed;
        for (std::size_t i = 0; i < length; ++i)
            hash = (hash ^ std::uint64_t(key[i])) * 1099511628211ull;
        return std::size_t(hash);
    }
    std::basic_string_view<Ch> keyAt(std::size_t entry) const
    {
        return std::basic_string_view<Ch>(m_text.data() + m_entries[entry].start, m_entries[entry].length);
    }
    bool indexed(const Object& object, std::size_t hash, std::basic_string_view<Ch> view) const
    {
        const std::size_t mask = object.index.size() - 1;
        for (std::size_t slot = hash & mask; object.index[slot] != 0; slot = (slot + 1) & mask) {
            const std::size_t entry = object.index[slot] - 1;
            if (m_entries[entry].hash == hash && keyAt(entry) == view)
                return true;
        }
        return false;
    }
    void addToIndex(Object& object, std::size_t entry)
    {
        const std::size_t mask = object.index.size() - 1;
        std::size_t slot = m_entries[entry].hash & mask;
        while (object.index[slot] != 0)
            slot = (slot + 1) & mask;
        object.index[slot] = std::uint32_t(entry + 1);
    }
    void rebuildIndex(Object& object)
    {
        std::size_t size = 64;
        while (size < (m_entries.size() - object.firstEntry) * 4)
            size *= 2;
        object.index.assign(size, 0);
        for (std::size_t i = object.firstEntry; i < m_entries.size(); ++i)
            addToIndex(object, i);
    }

    const std::uint64_t m_seed = JsonGuardDetail::hashSeed();
    std::vector<Entry> m_entries;
    std::vector<Ch> m_text;
    std::vector<Object> m_objects;
};

// The first key a JSON object of a text repeats, if any.
struct RepeatedJsonKey
{
    bool found = false;
    qint64 offset = -1; // where the repeated key is; JsonGuard: its opening quote, in bytes
    QString key;        // unescaped
    // "repeated key "devEui" at offset 57", the key shortened for a log line.
    QString description() const;
};

// Checks a JSON text for repeated keys before a parser that keeps only the last of them sees it:
// one pass over the text, keys compared after unescaping ("a" and "\u0061" are one key), the
// same key in sibling or nested objects allowed. Text that is not JSON is not judged: the guard
// reports no repeated key in what it could not follow, and the parser then says what is wrong.
class JsonGuard
{
public:
    static RepeatedJsonKey findRepeatedKey(const QByteArray& utf8);
    static RepeatedJsonKey findRepeatedKey(const char* utf8, qint64 size);
    // Containers nested deeper than this are not followed (the JSON parsers refuse them anyway).
    static constexpr int maxDepth = 2048;
};
