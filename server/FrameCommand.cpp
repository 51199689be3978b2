#include "server/FrameCommand.h"

#include "server/Protocol.h"

#include <QStringView>

#include <rapidjson/reader.h>

namespace {

// Reads a text of any code unit type where it lies.
template <typename Unit> class UnitStream
{
public:
    using Ch = Unit;
    UnitStream(const Ch* begin, qsizetype size) : m_at(begin), m_end(begin + size) {}
    Ch Peek() const { return m_at == m_end ? 0 : *m_at; }
    Ch Take() { return m_at == m_end ? 0 : *m_at++; }
    size_t Tell() const { return 0; }
    Ch* PutBegin() { return nullptr; }
    void Put(Ch) {}
    void Flush() {}
    size_t PutEnd(Ch*) { return 0; }

private:
    const Ch* m_at;
    const Ch* m_end;
};

template <typename Encoding>
class CommandHandler : public rapidjson::BaseReaderHandler<Encoding, CommandHandler<Encoding>>
{
public:
    using Ch = typename Encoding::Ch;
    QString command;

    bool Default()
    {
        m_nextIsCmd = false;
        return true;
    }
    bool StartObject() { return enter(); }
    bool StartArray() { return enter(); }
    bool EndObject(rapidjson::SizeType) { return leave(); }
    bool EndArray(rapidjson::SizeType) { return leave(); }
    bool Key(const Ch* text, rapidjson::SizeType length, bool)
    {
        m_nextIsCmd = m_depth == 1 && toString(text, length) == Protocol::Key::cmd;
        return true;
    }
    bool String(const Ch* text, rapidjson::SizeType length, bool)
    {
        if (m_nextIsCmd)
            command = toString(text, length);
        m_nextIsCmd = false;
        return true;
    }

private:
    static QString toString(const char* text, rapidjson::SizeType length)
    {
        return QString::fromUtf8(text, int(length));
    }
    static QString toString(const char16_t* text, rapidjson::SizeType length)
    {
        return QString(reinterpret_cast<const QChar*>(text), int(length));
    }
    bool enter()
    {
        m_nextIsCmd = false;
        ++m_depth;
        return true;
    }
    bool leave()
    {
        --m_depth;
        return true;
    }

    int m_depth = 0;
    bool m_nextIsCmd = false;
};

template <typename Encoding> QString commandOf(const typename Encoding::Ch* text, qsizetype size)
{
    UnitStream<typename Encoding::Ch> stream(text, size);
    CommandHandler<Encoding> handler;
    // Iterative: a deeply nested frame costs heap, not stack.
    rapidjson::GenericReader<Encoding, Encoding> reader;
    reader.template Parse<rapidjson::kParseIterativeFlag>(stream, handler);
    return handler.command;
}

} // namespace

QString FrameCommand::of(const QByteArray& utf8)
{
    return commandOf<rapidjson::UTF8<char>>(utf8.constData(), utf8.size());
}

QString FrameCommand::of(const QString& text)
{
    return commandOf<rapidjson::UTF16<char16_t>>(reinterpret_cast<const char16_t*>(text.utf16()),
                                                 text.size());
}
