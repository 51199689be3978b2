#include "registration/CommissioningJournal.h"

#include "foundation/CSettings.h"
#include "foundation/DebugLog.h"
#include "registration/CommissioningJournalCsv.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr int fieldCount = 7;
// A cut-off line is shorter than this; a longer unfinished end is not one of ours and is kept.
constexpr qint64 longestUnfinishedLine = 64 * 1024;

QDateTime localNow()
{
    const QDateTime now = QDateTime::currentDateTime();
    return now.toOffsetFromUtc(now.offsetFromUtc());
}

} // namespace

QStringList JournalEntry::toFields() const
{
    return {time.toString(Qt::ISODate), server, login, action, devEui, name, status};
}

bool JournalEntry::fromFields(const QStringList& fields, JournalEntry* entry)
{
    if (fields.size() != fieldCount)
        return false;
    const QDateTime time = QDateTime::fromString(fields.at(0), Qt::ISODate);
    if (!time.isValid())
        return false;
    *entry = JournalEntry{time,         fields.at(1), fields.at(2), fields.at(3),
                          fields.at(4), fields.at(5), fields.at(6)};
    return true;
}

bool JournalEntry::operator==(const JournalEntry& other) const
{
    return time == other.time && server == other.server && login == other.login && action == other.action &&
           devEui == other.devEui && name == other.name && status == other.status;
}

const QString CommissioningJournal::fileName = QStringLiteral("journal.csv");
const QString CommissioningJournal::actionRegistered = QStringLiteral("registered");
const QString CommissioningJournal::actionDeleted = QStringLiteral("deleted");
const QStringList CommissioningJournal::header = {
    QStringLiteral("time"),   QStringLiteral("server"), QStringLiteral("login"), QStringLiteral("action"),
    QStringLiteral("devEui"), QStringLiteral("name"),   QStringLiteral("status")};

QString CommissioningJournal::defaultPath()
{
    return QFileInfo(CSettings::instance()->filePath()).absoluteDir().filePath(fileName);
}

CommissioningJournal::CommissioningJournal(const QString& path, QObject* parent)
    : QObject(parent), m_path(path)
{
    qRegisterMetaType<JournalEntry>();
}

CommissioningJournal::Session CommissioningJournal::currentSession()
{
    return {CSettings::readValue(CSettings::serverIpPort).toString(),
            CSettings::readValue(CSettings::serverLogin).toString()};
}

void CommissioningJournal::recordRegistration(const QString& devEui, const QString& name,
                                              const QString& status)
{
    record(currentSession(), actionRegistered, devEui, name, status);
}

void CommissioningJournal::recordRegistrations(const QVector<QPair<QString, QString>>& statuses)
{
    recordAll(actionRegistered, statuses);
}

void CommissioningJournal::recordDeletion(const QString& devEui, const QString& status)
{
    record(currentSession(), actionDeleted, devEui, QString(), status);
}

void CommissioningJournal::recordDeletions(const QVector<QPair<QString, QString>>& statuses)
{
    recordAll(actionDeleted, statuses);
}

void CommissioningJournal::recordAll(const QString& action, const QVector<QPair<QString, QString>>& statuses)
{
    const Session session = currentSession(); // once for the whole answer
    const QDateTime now = localNow();
    QVector<JournalEntry> entries;
    entries.reserve(statuses.size());
    for (const auto& [devEui, status] : statuses)
        entries.append(JournalEntry{now, session.server, session.login, action, devEui, QString(), status});
    appendAll(entries);
}

void CommissioningJournal::record(const Session& session, const QString& action, const QString& devEui,
                                  const QString& name, const QString& status)
{
    append(JournalEntry{localNow(), session.server, session.login, action, devEui, name, status});
}

bool CommissioningJournal::append(const JournalEntry& entry)
{
    return appendAll({entry});
}

bool CommissioningJournal::appendAll(const QVector<JournalEntry>& entries)
{
    if (entries.isEmpty())
        return true;
    if (!open())
        return false;
    QByteArray lines;
    for (const JournalEntry& entry : entries)
        lines += JournalCsv::encodeRecord(entry.toFields());
    if (m_file.write(lines) != lines.size() || !m_file.flush()) {
        // Closed, so that the next line first removes what this one may have left half-written.
        fail(m_file.errorString());
        m_file.close();
        return false;
    }
    for (const JournalEntry& entry : entries)
        emit recorded(entry);
    emit recordedMany(entries);
    return true;
}

bool CommissioningJournal::open()
{
    if (m_file.isOpen())
        return true;
#ifdef Q_OS_UNIX
    // Created private; an existing file with wider rights is narrowed before anything is added.
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd < 0) {
        fail(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    struct stat info;
    if (::fstat(fd, &info) == 0 && (info.st_mode & 07777) != (S_IRUSR | S_IWUSR)) {
        DEBUG_LOG << "journal" << m_path << "had mode" << QString::number(info.st_mode & 07777, 8)
                  << "- made readable by its owner only";
        ::fchmod(fd, S_IRUSR | S_IWUSR);
    }
    if (!m_file.open(fd, QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered,
                     QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        fail(m_file.errorString());
        return false;
    }
#else
    m_file.setFileName(m_path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        fail(m_file.errorString());
        return false;
    }
    m_file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
#endif
    dropUnfinishedLine();
    if (m_file.size() == 0) {
        const QByteArray headerLine = JournalCsv::encodeRecord(header);
        if (m_file.write(headerLine) != headerLine.size()) {
            fail(m_file.errorString());
            m_file.close();
            return false;
        }
    }
    return true;
}

void CommissioningJournal::dropUnfinishedLine()
{
    const qint64 size = m_file.size();
    if (size == 0)
        return;
    QFile reader(m_path);
    if (!reader.open(QIODevice::ReadOnly))
        return;
    const qint64 complete = JournalCsv::parse(reader.readAll()).completeBytes;
    if (complete == size)
        return;
    if (size - complete <= longestUnfinishedLine) {
        // The line a crash cut off: it was never recorded, and the next line must not join it.
        DEBUG_LOG << "journal" << m_path << ": unfinished last line of" << (size - complete)
                  << "bytes removed";
        m_file.resize(complete);
    } else {
        DEBUG_LOG << "journal" << m_path << ":" << (size - complete) << "bytes without a line end kept";
        m_file.write("\r\n");
    }
}

void CommissioningJournal::fail(const QString& reason)
{
    const QString text = tr("Журнал не записан (%1): %2").arg(m_path, reason);
    DEBUG_LOG << text;
    emit writeFailed(text);
}

CommissioningJournal::ReadResult CommissioningJournal::read(const QString& path)
{
    ReadResult result;
    QFile file(path);
    if (!file.exists())
        return result;
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = tr("Не удалось прочитать журнал %1: %2").arg(path, file.errorString());
        return result;
    }
    const QByteArray data = file.readAll();
    const JournalCsv::Parsed parsed = JournalCsv::parse(data);
    result.unfinishedLastLine = parsed.completeBytes < data.size();
    result.entries.reserve(parsed.records.size());
    for (int i = 0; i < parsed.records.size(); ++i) {
        const QStringList& record = parsed.records.at(i);
        if (i == 0 && record == header)
            continue;
        JournalEntry entry;
        if (JournalEntry::fromFields(record, &entry))
            result.entries.append(entry);
        else
            ++result.skippedLines;
    }
    if (result.skippedLines > 0 || result.unfinishedLastLine)
        DEBUG_LOG << "journal" << path << ":" << result.skippedLines
                  << "lines skipped, unfinished last line:" << result.unfinishedLastLine;
    return result;
}

bool CommissioningJournal::exportDays(const QVector<JournalEntry>& entries, const QDate& from,
                                      const QDate& to, const QString& path, int* written, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    int count = 0;
    file.write(JournalCsv::encodeRecord(header));
    for (const JournalEntry& entry : entries) {
        const QDate day = entry.time.toLocalTime().date();
        if (day < from || day > to)
            continue;
        file.write(JournalCsv::encodeRecord(entry.toFields()));
        ++count;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    *written = count;
    return true;
}
