#include "app/AppStartup.h"
#include "app/WidgetHelpers.h"
#include "common/TestRegistry.h"

#include <QFile>
#include <QHBoxLayout>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTranslator>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>
#include <sys/stat.h>

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void applicationNameCarriesVersion();
    void catalogueFollowsLanguage_data();
    void catalogueFollowsLanguage();
    void rowHelperAttachesRows();
    void firstRunSeedsPrivateSettingsFile();
    void existingValuesAreKept();
};

void TestStartup::applicationNameCarriesVersion()
{
    QCOMPARE(AppStartup::applicationName(), QStringLiteral("Ravlo 1.6.4"));
}

void TestStartup::catalogueFollowsLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QString>("expected");
    const QString russian = QStringLiteral("Не было описания ошибки emptyDataForUpdate");
    QTest::newRow("en") << "en" << true << "No error description: emptyDataForUpdate";
    QTest::newRow("ru") << "ru" << false << russian;
    QTest::newRow("de") << "de" << false << russian;
    QTest::newRow("empty") << "" << false << russian;
    QTest::newRow("EN upper case") << "EN" << false << russian;
}

void TestStartup::catalogueFollowsLanguage()
{
    QFETCH(QString, language);
    QFETCH(bool, loaded);
    QFETCH(QString, expected);
    QTranslator translator;
    QCOMPARE(AppStartup::installCatalogue(*qApp, translator, language), loaded);
    QCOMPARE(QCoreApplication::translate("RegistrationStatus", "Не было описания ошибки emptyDataForUpdate"),
             expected);
    QCoreApplication::removeTranslator(&translator);
}

void TestStartup::rowHelperAttachesRows()
{
    QVBoxLayout column;
    QHBoxLayout* row = WIDGET::prepareInnerHLayout(&column);
    QCOMPARE(column.count(), 1);
    QCOMPARE(row->spacing(), 2);
    QCOMPARE(row->contentsMargins(), QMargins(1, 1, 1, 1));

    QTest::ignoreMessage(QtDebugMsg,
                         QRegularExpression(QStringLiteral("\\}\\[\\d+\\] - Некорректный аргумент!$")));
    std::unique_ptr<QHBoxLayout> loose(WIDGET::prepareInnerHLayout(nullptr));
    QVERIFY(loose);
    QVERIFY(!loose->parent());
}

namespace {

// Starts the real program in a directory and stops it once it has written its settings.
void runProgramUntilSeeded(const QString& directory)
{
    QProcess program;
    program.setWorkingDirectory(directory);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(RAVLO_PROGRAM_PATH), QStringList());
    QVERIFY2(program.waitForStarted(10000), qPrintable(program.errorString()));
    const QString path = directory + QStringLiteral("/settings.cfg");
    QTRY_VERIFY_WITH_TIMEOUT(QSettings(path, QSettings::IniFormat).contains(QStringLiteral("lastSendEui")),
                             15000);
    QCOMPARE(program.state(), QProcess::Running);
    program.terminate();
    if (!program.waitForFinished(5000)) {
        program.kill();
        program.waitForFinished(5000);
    }
}

int fileMode(const QString& path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

} // namespace

void TestStartup::firstRunSeedsPrivateSettingsFile()
{
    QTemporaryDir dir;
    runProgramUntilSeeded(dir.path());
    const QString path = dir.filePath(QStringLiteral("settings.cfg"));
    QSettings written(path, QSettings::IniFormat);
    QCOMPARE(written.value(QStringLiteral("devicesFileName")).toString(), QStringLiteral("Devices.txt"));
    QCOMPARE(written.value(QStringLiteral("requestsFileName")).toString(), QStringLiteral("Zapros.txt"));
    QCOMPARE(written.value(QStringLiteral("responsesFileName")).toString(), QStringLiteral("Otvet.txt"));
    QCOMPARE(written.value(QStringLiteral("lastSendEui")).toString(), QString());
    QCOMPARE(fileMode(path), 0600);
}

void TestStartup::existingValuesAreKept()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.cfg"));
    {
        QSettings before(path, QSettings::IniFormat);
        before.setValue(QStringLiteral("devicesFileName"), QStringLiteral("Mine.txt"));
        before.setValue(QStringLiteral("serverPassword"), QStringLiteral("pa55"));
    }
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);

    runProgramUntilSeeded(dir.path());
    QSettings written(path, QSettings::IniFormat);
    QCOMPARE(written.value(QStringLiteral("devicesFileName")).toString(), QStringLiteral("Mine.txt"));
    QCOMPARE(written.value(QStringLiteral("requestsFileName")).toString(), QStringLiteral("Zapros.txt"));
    QCOMPARE(written.value(QStringLiteral("serverPassword")).toString(), QStringLiteral("pa55"));
    QCOMPARE(fileMode(path), 0600);
}

RAVLO_REGISTER_TEST(TestStartup)
#include "tst_startup.moc"
