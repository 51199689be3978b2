#include "app/AppStartup.h"
#include "common/TestRegistry.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <sys/stat.h>

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void catalogueFollowsLanguage_data();
    void catalogueFollowsLanguage();
    void programSeedsPrivateSettingsFile_data();
    void programSeedsPrivateSettingsFile();
    void restartPassesTheSameArguments_data();
    void restartPassesTheSameArguments();
};

void TestStartup::restartPassesTheSameArguments_data()
{
    QTest::addColumn<QStringList>("running");
    QTest::addColumn<QString>("filePath");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    const QString path = QStringLiteral("/opt/ravlo/bin/ravlo");
    QTest::newRow("no arguments") << QStringList{"ravlo"} << path << path << QStringList();
    QTest::newRow("own arguments kept in order") << QStringList{"./ravlo", "-style", "fusion", "ravlo"}
                                                 << path << path << QStringList{"-style", "fusion", "ravlo"};
    QTest::newRow("file path unknown")
        << QStringList{"/usr/bin/ravlo", "x"} << QString() << "/usr/bin/ravlo" << QStringList{"x"};
    QTest::newRow("nothing known") << QStringList() << QString() << QString() << QStringList();
}

void TestStartup::restartPassesTheSameArguments()
{
    QFETCH(QStringList, running);
    QFETCH(QString, filePath);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const AppStartup::RestartCommand command = AppStartup::restartCommand(running, filePath);
    QCOMPARE(command.program, program);
    QCOMPARE(command.arguments, arguments);
    // Restarting the restarted program gives the same command again: nothing piles up.
    const AppStartup::RestartCommand again =
        AppStartup::restartCommand(QStringList{command.program} + command.arguments, filePath);
    QCOMPARE(again.arguments, arguments);
}

void TestStartup::catalogueFollowsLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("expected");
    const QString russian = QStringLiteral("Не было описания ошибки emptyDataForUpdate");
    QTest::newRow("en") << "en"
                        << "No error description: emptyDataForUpdate";
    QTest::newRow("ru") << "ru" << russian;
    QTest::newRow("de") << "de" << russian;
    QTest::newRow("empty") << "" << russian;
    QTest::newRow("EN upper case") << "EN" << russian;
}

void TestStartup::catalogueFollowsLanguage()
{
    QFETCH(QString, language);
    QFETCH(QString, expected);
    QTranslator translator;
    AppStartup::installCatalogue(*qApp, translator, language);
    QCOMPARE(QCoreApplication::translate("RegistrationStatus", "Не было описания ошибки emptyDataForUpdate"),
             expected);
    QCoreApplication::removeTranslator(&translator);
}

void TestStartup::programSeedsPrivateSettingsFile_data()
{
    QTest::addColumn<QString>("storedDevicesFile"); // empty: no settings file before the start
    QTest::newRow("first run") << QString();
    QTest::newRow("existing value kept") << QStringLiteral("Mine.txt");
}

// Starts the real program and stops it once it has written its settings.
void TestStartup::programSeedsPrivateSettingsFile()
{
    QFETCH(QString, storedDevicesFile);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.cfg"));
    if (!storedDevicesFile.isEmpty()) {
        QSettings(path, QSettings::IniFormat).setValue(QStringLiteral("devicesFileName"), storedDevicesFile);
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);
    }

    QProcess program;
    program.setWorkingDirectory(dir.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(RAVLO_PROGRAM_PATH), QStringList());
    QVERIFY2(program.waitForStarted(10000), qPrintable(program.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(QSettings(path, QSettings::IniFormat).contains(QStringLiteral("lastSendEui")),
                             15000);
    QCOMPARE(program.state(), QProcess::Running);
    program.kill();
    program.waitForFinished(5000);

    QSettings written(path, QSettings::IniFormat);
    QCOMPARE(written.value(QStringLiteral("devicesFileName")).toString(),
             storedDevicesFile.isEmpty() ? QStringLiteral("Devices.txt") : storedDevicesFile);
    QCOMPARE(written.value(QStringLiteral("requestsFileName")).toString(), QStringLiteral("Zapros.txt"));
    QCOMPARE(written.value(QStringLiteral("responsesFileName")).toString(), QStringLiteral("Otvet.txt"));
    QCOMPARE(written.value(QStringLiteral("lastSendEui")).toString(), QString());
    struct stat info;
    QVERIFY(::stat(QFile::encodeName(path).constData(), &info) == 0);
    QCOMPARE(int(info.st_mode & 0777), 0600);
}

RAVLO_REGISTER_TEST(TestStartup)
#include "tst_startup.moc"
