#pragma once

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QMetaType>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

// One line of the commissioning journal: what the server answered for one device.
struct JournalEntry
{
    QDateTime time; // local time with its offset from UTC
    QString server; // address and login of the session, as in the settings at that moment
    QString login;
    QString action; // CommissioningJournal::actionRegistered or actionDeleted
    QString devEui;
    QString name;   // the device name sent; empty when not known
    QString status; // the server's status word

    // The fields in the order of the file's columns.
    QStringList toFields() const;
    // false for a line that is not a journal entry (wrong field count, unreadable time).
    static bool fromFields(const QStringList& fields, JournalEntry* entry);

    bool operator==(const JournalEntry& other) const;
    bool operator!=(const JournalEntry& other) const { return !(*this == other); }
};
Q_DECLARE_METATYPE(JournalEntry)

// The commissioning journal: "journal.csv" beside the settings file, one line per server answer
// for a device (time, server, login, action, DevEUI, name, status), comma-separated as RFC 4180
// has it, under a header line. Each line reaches the operating system as soon as it is recorded,
// so a crash loses at most the line being written; the file is readable by its owner only.
//
// The server address and the login are taken from the settings when a line is recorded.
class CommissioningJournal : public QObject
{
    Q_OBJECT
public:
    static const QString fileName;
    static const QString actionRegistered; // "registered"
    static const QString actionDeleted;    // "deleted"
    static const QStringList header;

    // "journal.csv" in the directory of the settings file.
    static QString defaultPath();

    explicit CommissioningJournal(const QString& path, QObject* parent = nullptr);

    QString path() const { return m_path; }
    // Appends one line, opening the file first if need be; false (and writeFailed) when it could
    // not be written.
    bool append(const JournalEntry& entry);
    // Appends the lines of one server answer in one write.
    bool appendAll(const QVector<JournalEntry>& entries);

    struct ReadResult
    {
        QVector<JournalEntry> entries; // oldest first, as in the file
        int skippedLines = 0;          // lines that are not journal entries
        bool unfinishedLastLine = false;
        QString error; // the file exists but cannot be read; no file is no error

        bool ok() const { return error.isEmpty(); }
    };
    static ReadResult read(const QString& path);

    // Writes the entries of the days from..to (local dates, both included) to a new CSV file in the
    // journal's own format; false with the reason when it cannot be written.
    static bool exportDays(const QVector<JournalEntry>& entries, const QDate& from, const QDate& to,
                           const QString& path, int* written, QString* error);

public slots:
    void recordRegistration(const QString& devEui, const QString& name, const QString& status);
    // A bulk answer: (DevEUI, status) pairs.
    void recordRegistrations(const QVector<QPair<QString, QString>>& statuses);
    void recordDeletion(const QString& devEui, const QString& status);
    void recordDeletions(const QVector<QPair<QString, QString>>& statuses);

signals:
    void recorded(JournalEntry entry);
    // The lines of one write, after their recorded signals: a view takes them in at once.
    void recordedMany(QVector<JournalEntry> entries);
    void writeFailed(QString reason);

private:
    struct Session
    {
        QString server;
        QString login;
    };
    static Session currentSession();
    void record(const Session& session, const QString& action, const QString& devEui, const QString& name,
                const QString& status);
    void recordAll(const QString& action, const QVector<QPair<QString, QString>>& statuses);
    bool open();
    void dropUnfinishedLine();
    void fail(const QString& reason);

    QString m_path;
    QFile m_file;
};
