#include "common/TestRegistry.h"
#include "foundation/CSettings.h"
#include "registration/CommissioningJournal.h"
#include "registration/CommissioningJournalCsv.h"
#include "registration/JournalModel.h"

#include <QAbstractItemModelTester>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int fileMode(const QString& path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QDateTime at(const QString& isoTime)
{
    return QDateTime::fromString(isoTime, Qt::ISODate);
}

JournalEntry entry(const QString& time, const QString& devEui, const QString& status,
                   const QString& name = {})
{
    return JournalEntry{at(time), "10.0.0.1:8002", "operator", CommissioningJournal::actionRegistered, devEui,
                        name,     status};
}

// The n-th line a writer that is killed part-way records: every field needs quoting.
JournalEntry numbered(int n)
{
    return JournalEntry{at("2025-05-03T10:00:00+03:00"),
                        "ws,host:8002",
                        "оператор",
                        CommissioningJournal::actionRegistered,
                        QStringLiteral("%1").arg(n, 16, 10, QLatin1Char('0')),
                        QStringLiteral("счётчик \"%1\",\r\nвторой ряд").arg(n),
                        "added"};
}

QStringList describe(const QVector<JournalEntry>& entries)
{
    QStringList lines;
    for (const JournalEntry& e : entries)
        lines << QStringList{e.server, e.login, e.action, e.devEui, e.name, e.status}.join('|');
    return lines;
}

} // namespace

class TestJournal : public QObject
{
    Q_OBJECT
private slots:
    void linesSurviveARestart();
    void fileIsPrivate_data();
    void fileIsPrivate();
    void killedWriterLosesAtMostTheLineBeingWritten();
    void unfinishedLastLineIsDroppedNotJoined_data();
    void unfinishedLastLineIsDroppedNotJoined();
    void unwritableJournalIsReported();
    void exportOfDaysReadsBackWithPython();
    void modelShowsNewestFirstAndFilters();
};

void TestJournal::linesSurviveARestart()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(CommissioningJournal::fileName);
    CSettings::instance(); // opened at start-up in the program
    QVERIFY(CSettings::writeValue(CSettings::serverIpPort, QStringLiteral("10.0.0.1:8002")));
    QVERIFY(CSettings::writeValue(CSettings::serverLogin, QStringLiteral("operator")));
    {
        CommissioningJournal journal(path);
        QSignalSpy recorded(&journal, &CommissioningJournal::recorded);
        journal.recordRegistration("70B3D57ED0001234", "Счётчик, подъезд 1", "added");
        // The session is read when a line is recorded.
        QVERIFY(CSettings::writeValue(CSettings::serverLogin, QStringLiteral("second")));
        journal.recordRegistrations(
            {{"70B3D57ED0000001", "added"}, {"70B3D57ED0000002", "invalidAppKeyValue"}});
        QCOMPARE(recorded.count(), 3);
    }
    CommissioningJournal reopened(path);
    reopened.recordDeletions({{"70B3D57ED0001234", "deleted"}});
    reopened.recordDeletion("70B3D57ED0000001", "deleted");

    const CommissioningJournal::ReadResult result = CommissioningJournal::read(path);
    QVERIFY(result.ok());
    QCOMPARE(result.skippedLines, 0);
    QVERIFY(!result.unfinishedLastLine);
    QCOMPARE(describe(result.entries),
             (QStringList{"10.0.0.1:8002|operator|registered|70B3D57ED0001234|Счётчик, подъезд 1|added",
                          "10.0.0.1:8002|second|registered|70B3D57ED0000001||added",
                          "10.0.0.1:8002|second|registered|70B3D57ED0000002||invalidAppKeyValue",
                          "10.0.0.1:8002|second|deleted|70B3D57ED0001234||deleted",
                          "10.0.0.1:8002|second|deleted|70B3D57ED0000001||deleted"}));
    // One header; each line starts with the local time in ISO 8601, with its offset from UTC.
    const QList<QByteArray> lines = readFile(path).split('\n');
    QCOMPARE(lines.first(), QByteArray("time,server,login,action,devEui,name,status\r"));
    QCOMPARE(lines.size(), 7); // header, five lines, nothing after the last line end
    const QRegularExpression isoLocal("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d([+-]\\d\\d:\\d\\d|Z),");
    QVERIFY2(isoLocal.match(QString::fromUtf8(lines.at(1))).hasMatch(), lines.at(1).constData());
    QVERIFY(qAbs(result.entries.first().time.secsTo(QDateTime::currentDateTime())) < 60);
}

void TestJournal::fileIsPrivate_data()
{
    QTest::addColumn<int>("modeBefore"); // 0: no file yet
    QTest::addColumn<int>("umaskValue");
    QTest::newRow("new file, usual umask") << 0 << 022;
    QTest::newRow("new file, no umask") << 0 << 0;
    QTest::newRow("existing file readable by all") << 0644 << 022;
    QTest::newRow("existing file writable by all") << 0666 << 0;
}

void TestJournal::fileIsPrivate()
{
    QFETCH(int, modeBefore);
    QFETCH(int, umaskValue);
    QTemporaryDir dir;
    const QString path = dir.filePath(CommissioningJournal::fileName);
    if (modeBefore) {
        QVERIFY(writeFile(path, JournalCsv::encodeRecord(CommissioningJournal::header)));
        QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(modeBefore)) == 0);
    }
    const mode_t previousMask = ::umask(mode_t(umaskValue));
    CommissioningJournal journal(path);
    const bool appended = journal.append(entry("2025-05-03T10:00:00+03:00", "A1", "added"));
    ::umask(previousMask);
    QVERIFY(appended);
    QCOMPARE(fileMode(path), 0600);
    QCOMPARE(CommissioningJournal::read(path).entries.size(), 1);
}

void TestJournal::killedWriterLosesAtMostTheLineBeingWritten()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(CommissioningJournal::fileName);
    const pid_t writer = ::fork();
    QVERIFY(writer >= 0);
    if (writer == 0) {
        // The child records line after line until it is killed in the middle of its work.
        CommissioningJournal journal(path);
        for (int n = 0;; ++n)
            journal.append(numbered(n));
    }
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(path).size() > 400 * 1024, 30000);
    ::kill(writer, SIGKILL);
    int status = 0;
    QCOMPARE(::waitpid(writer, &status, 0), writer);
    QVERIFY(WIFSIGNALED(status));

    const CommissioningJournal::ReadResult afterCrash = CommissioningJournal::read(path);
    QCOMPARE(afterCrash.skippedLines, 0);
    QVERIFY(afterCrash.entries.size() > 1000);
    for (int n = 0; n < afterCrash.entries.size(); ++n)
        QCOMPARE(afterCrash.entries.at(n), numbered(n));

    // The next run goes on after the last whole line.
    CommissioningJournal nextRun(path);
    QVERIFY(nextRun.append(numbered(-1)));
    const CommissioningJournal::ReadResult afterRestart = CommissioningJournal::read(path);
    QCOMPARE(afterRestart.skippedLines, 0);
    QVERIFY(!afterRestart.unfinishedLastLine);
    QCOMPARE(afterRestart.entries.size(), afterCrash.entries.size() + 1);
    QCOMPARE(afterRestart.entries.last(), numbered(-1));
}

void TestJournal::unfinishedLastLineIsDroppedNotJoined_data()
{
    QTest::addColumn<QByteArray>("cutOff");
    const QByteArray whole = JournalCsv::encodeRecord(numbered(1).toFields());
    QTest::newRow("cut in a plain field") << whole.left(40);
    QTest::newRow("cut inside quotes, after a line end there") << whole.left(whole.indexOf('\n') + 1);
    QTest::newRow("cut between CR and LF") << whole.left(whole.size() - 1);
}

void TestJournal::unfinishedLastLineIsDroppedNotJoined()
{
    QFETCH(QByteArray, cutOff);
    QTemporaryDir dir;
    const QString path = dir.filePath(CommissioningJournal::fileName);
    const QByteArray complete = JournalCsv::encodeRecord(CommissioningJournal::header) +
                                JournalCsv::encodeRecord(numbered(0).toFields());
    QVERIFY(writeFile(path, complete + cutOff));

    const CommissioningJournal::ReadResult torn = CommissioningJournal::read(path);
    QVERIFY(torn.unfinishedLastLine);
    QCOMPARE(torn.entries, QVector<JournalEntry>{numbered(0)});

    CommissioningJournal journal(path);
    QVERIFY(journal.append(numbered(2)));
    QCOMPARE(readFile(path), complete + JournalCsv::encodeRecord(numbered(2).toFields()));
}

void TestJournal::unwritableJournalIsReported()
{
    CommissioningJournal journal(QDir::current().filePath("no-such-directory/journal.csv"));
    QSignalSpy failed(&journal, &CommissioningJournal::writeFailed);
    QSignalSpy recorded(&journal, &CommissioningJournal::recorded);
    journal.recordRegistration("A1", "", "added");
    QCOMPARE(failed.count(), 1);
    QVERIFY(failed.first().first().toString().contains("no-such-directory"));
    QCOMPARE(recorded.count(), 0);
}

void TestJournal::exportOfDaysReadsBackWithPython()
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty())
        QFAIL("python3 is not installed (tools/setup-deps.sh installs it)");
    QTemporaryDir dir;
    const QVector<JournalEntry> entries{
        entry("2025-05-01T23:59:59+03:00", "A0", "added"),
        entry("2025-05-02T00:00:00+03:00", "A1", "added", "Счётчик, \"вход\"\r\nподъезд 2"),
        entry("2025-05-03T12:00:00+03:00", "A2", "invalidDevEui", "plain"),
        entry("2025-05-04T00:00:00+03:00", "A3", "added"),
    };
    // Local days: the test's own time zone decides where the range edges fall.
    const QDate first = entries.at(1).time.toLocalTime().date();
    const QDate last = entries.at(2).time.toLocalTime().date();
    QVector<JournalEntry> expected;
    for (const JournalEntry& e : entries) {
        const QDate day = e.time.toLocalTime().date();
        if (day >= first && day <= last)
            expected << e;
    }
    const QString path = dir.filePath("export.csv");
    int written = -1;
    QString error;
    QVERIFY2(CommissioningJournal::exportDays(entries, first, last, path, &written, &error),
             qPrintable(error));
    QCOMPARE(written, expected.size());

    QProcess reader;
    reader.start(python, {"-c",
                          "import csv, json, sys\n"
                          "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                          "    print(json.dumps(list(csv.reader(f))))\n",
                          path});
    QVERIFY(reader.waitForFinished(30000));
    QCOMPARE(reader.exitCode(), 0);
    const QJsonArray rows = QJsonDocument::fromJson(reader.readAllStandardOutput()).array();
    QCOMPARE(rows.size(), expected.size() + 1);
    QCOMPARE(rows.at(0).toVariant().toStringList(), CommissioningJournal::header);
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(rows.at(i + 1).toVariant().toStringList(), expected.at(i).toFields());
}

void TestJournal::modelShowsNewestFirstAndFilters()
{
    JournalModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy statusesChanged(&model, &JournalModel::statusesChanged);
    model.setEntries({entry("2025-05-01T10:00:00Z", "70B3AA01", "added"),
                      entry("2025-05-01T11:00:00Z", "70B3BB02", "invalidDevEui"),
                      entry("2025-05-01T12:00:00Z", "70B3aa03", "added")});
    const auto devEuis = [&model] {
        QStringList column;
        for (int row = 0; row < model.rowCount(); ++row)
            column << model.index(row, JournalModel::devEuiColumn).data().toString();
        return column;
    };
    QCOMPARE(devEuis(), (QStringList{"70B3aa03", "70B3BB02", "70B3AA01"}));
    QCOMPARE(model.statuses(), (QStringList{"added", "invalidDevEui"}));
    QCOMPARE(model.index(0, JournalModel::actionColumn).data().toString(), QStringLiteral("регистрация"));
    QCOMPARE(model.index(0, JournalModel::timeColumn).data().toString(),
             at("2025-05-01T12:00:00Z").toLocalTime().toString("yyyy-MM-dd HH:mm:ss"));

    model.setDevEuiFilter("AA0");
    QCOMPARE(devEuis(), (QStringList{"70B3aa03", "70B3AA01"}));
    model.appendEntry(entry("2025-05-01T13:00:00Z", "70B3AA04", "nothingToUpdate"));
    model.appendEntry(entry("2025-05-01T14:00:00Z", "70B3CC05", "added"));
    QCOMPARE(devEuis(), (QStringList{"70B3AA04", "70B3aa03", "70B3AA01"}));
    QCOMPARE(model.entryAt(0).status, QStringLiteral("nothingToUpdate"));
    model.setStatusFilter("added");
    QCOMPARE(devEuis(), (QStringList{"70B3aa03", "70B3AA01"}));
    model.setDevEuiFilter(QString());
    QCOMPARE(devEuis(), (QStringList{"70B3CC05", "70B3aa03", "70B3AA01"}));
    model.setStatusFilter(QString());
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(model.statuses(), (QStringList{"added", "invalidDevEui", "nothingToUpdate"}));
    QCOMPARE(statusesChanged.count(), 2); // the first entries, then one new word
}

RAVLO_REGISTER_TEST(TestJournal)
#include "tst_journal.moc"
