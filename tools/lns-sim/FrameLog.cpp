#include "FrameLog.h"

#include <QDateTime>

namespace {
QString now()
{
    return QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
}
} // namespace

void FrameLog::frame(Direction direction, int client, const QString& cmd, qint64 size, const QString& note)
{
    // One pass, so a "%1" inside a client's cmd is not taken for a placeholder.
    QString text =
        QStringLiteral("%1 %2 client=%3 cmd=%4 size=%5")
            .arg(direction == Direction::In ? QStringLiteral("in ") : QStringLiteral("out"), now(),
                 QString::number(client), cmd.isEmpty() ? QStringLiteral("-") : cmd, QString::number(size));
    if (!note.isEmpty())
        text += QLatin1Char(' ') + note;
    line(text);
}

void FrameLog::event(int client, const QString& text)
{
    line(QStringLiteral("--  %1 client=%2 %3").arg(now()).arg(client).arg(text));
}

void FrameLog::line(const QString& text)
{
    if (!m_out)
        return;
    // Control characters from a client (a "cmd" with a line break) must not forge log lines.
    QString safe = text;
    for (QChar& c : safe) {
        if (c.unicode() < 0x20)
            c = QLatin1Char('?');
    }
    const QByteArray bytes = safe.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), m_out);
    std::fputc('\n', m_out);
    std::fflush(m_out);
}
