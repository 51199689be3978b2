#include "app/CSettings.h"
#include "common/LoopbackServer.h"
#include "common/TestRegistry.h"
#include "downlink/SendDataDialog.h"
#include "server/Protocol.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QJsonArray>
#include <QLineEdit>
#include <QPushButton>
#include <QTranslator>
#include <QtTest>

namespace {

const QString firstEui = QStringLiteral("70B3D5E75E000001");
const QString secondEui = QStringLiteral("70B3D5E75E000002");

QLineEdit* edit(SendDataDialog& dialog, const char* name)
{
    return dialog.findChild<QLineEdit*>(QLatin1String(name));
}

QCheckBox* ackBox(SendDataDialog& dialog)
{
    return dialog.findChild<QCheckBox*>(QStringLiteral("ackBox"));
}

void retype(QLineEdit* field, const QString& text)
{
    field->clear();
    QTest::keyClicks(field, text);
}

void click(SendDataDialog& dialog, QDialogButtonBox::StandardButton which)
{
    dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(which)->click();
}

QJsonObject downlink(const QString& devEui, const QString& data, int port, bool ack)
{
    const QJsonObject element{{Protocol::Key::devEui, devEui},
                              {Protocol::Key::data, data},
                              {Protocol::Key::port, port},
                              {Protocol::Key::ack, ack}};
    return {{Protocol::Key::cmd, Protocol::Cmd::sendDataReq}, {Protocol::Key::dataList, QJsonArray{element}}};
}

QString storedLastSendEui()
{
    return QSettings(CSettings::instance()->fileName(), QSettings::IniFormat)
        .value(QStringLiteral("lastSendEui"))
        .toString();
}

} // namespace

class TestSendDataDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void firstOpeningShowsDefaults();
    void englishCatalogueKeepsAck();
    void sendsOneDownlink_data();
    void sendsOneDownlink();
    void cancelSendsNothingAndKeepsLastEui();
    void reusedDialogKeepsLastValues();
    void lastEuiOfferedAfterRestart();

private:
    // Waits for the next "send_data_req" the server receives and returns it.
    QJsonObject nextDownlink(int alreadyReceived);

    LoopbackServer m_server;
};

void TestSendDataDialog::initTestCase()
{
    QVERIFY(!QFile::exists(QStringLiteral("settings.cfg")));
    CSettings::instance(qApp);
    QVERIFY(loginToLoopbackServer(m_server));
}

void TestSendDataDialog::init()
{
    m_server.clearReceived();
}

QJsonObject TestSendDataDialog::nextDownlink(int alreadyReceived)
{
    const bool arrived = QTest::qWaitFor(
        [&] { return m_server.receivedObjects(Protocol::Cmd::sendDataReq).size() > alreadyReceived; }, 5000);
    return arrived ? m_server.receivedObjects(Protocol::Cmd::sendDataReq).at(alreadyReceived) : QJsonObject();
}

void TestSendDataDialog::firstOpeningShowsDefaults()
{
    SendDataDialog dialog(nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Отправка данных на устройство"));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));
    QCOMPARE(edit(dialog, "devEuiEdit")->text(), QString());
    QCOMPARE(edit(dialog, "portEdit")->text(), QStringLiteral("02"));
    QCOMPARE(edit(dialog, "dataEdit")->text(), QString());
    QCOMPARE(ackBox(dialog)->text(), QStringLiteral("ACK"));
    QVERIFY(!ackBox(dialog)->isChecked());
    for (const char* name : {"devEuiEdit", "portEdit", "dataEdit"}) {
        QVERIFY(!edit(dialog, name)->validator());
        QCOMPARE(edit(dialog, name)->inputMask(), QString());
    }
}

void TestSendDataDialog::englishCatalogueKeepsAck()
{
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":/Translations/ravlo_en")));
    qApp->installTranslator(&translator);
    SendDataDialog dialog(nullptr);
    qApp->removeTranslator(&translator);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Sending data to a device"));
    QCOMPARE(ackBox(dialog)->text(), QStringLiteral("ACK"));
}

void TestSendDataDialog::sendsOneDownlink_data()
{
    QTest::addColumn<QString>("portText");
    QTest::addColumn<bool>("ack");
    QTest::addColumn<int>("port");
    QTest::newRow("port 2, ACK") << "2" << true << 2;
    QTest::newRow("port 02, no ACK") << "02" << false << 2;
    QTest::newRow("port x, ACK") << "x" << true << 0;
    QTest::newRow("port x, no ACK") << "x" << false << 0;
}

void TestSendDataDialog::sendsOneDownlink()
{
    QFETCH(QString, portText);
    QFETCH(bool, ack);
    QFETCH(int, port);
    SendDataDialog dialog(nullptr);
    dialog.show();
    retype(edit(dialog, "devEuiEdit"), firstEui);
    retype(edit(dialog, "portEdit"), portText);
    retype(edit(dialog, "dataEdit"), QStringLiteral("0A0B0C"));
    if (ack)
        QTest::keyClick(ackBox(dialog), Qt::Key_Space);
    QCOMPARE(ackBox(dialog)->isChecked(), ack);

    click(dialog, QDialogButtonBox::Ok);

    QCOMPARE(nextDownlink(0), downlink(firstEui, QStringLiteral("0A0B0C"), port, ack));
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(storedLastSendEui(), firstEui);
    QCOMPARE(CSettings::currentLastSendEui, firstEui);
}

void TestSendDataDialog::cancelSendsNothingAndKeepsLastEui()
{
    QVERIFY(CSettings::writeValue(CSettings::lastSendEui, firstEui));
    CSettings::currentLastSendEui = firstEui;
    SendDataDialog dialog(nullptr);
    dialog.show();
    QCOMPARE(edit(dialog, "devEuiEdit")->text(), firstEui);
    retype(edit(dialog, "devEuiEdit"), secondEui);
    retype(edit(dialog, "dataEdit"), QStringLiteral("FF"));

    click(dialog, QDialogButtonBox::Cancel);

    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(storedLastSendEui(), firstEui);
    QCOMPARE(CSettings::currentLastSendEui, firstEui);

    // Frames arrive in order: if the cancelled downlink had gone out, it would come first.
    dialog.show();
    retype(edit(dialog, "dataEdit"), QStringLiteral("01"));
    click(dialog, QDialogButtonBox::Ok);
    QCOMPARE(nextDownlink(0), downlink(secondEui, QStringLiteral("01"), 2, false));
    QCOMPARE(m_server.receivedObjects(Protocol::Cmd::sendDataReq).size(), 1);
}

void TestSendDataDialog::reusedDialogKeepsLastValues()
{
    SendDataDialog dialog(nullptr);
    dialog.show();
    retype(edit(dialog, "devEuiEdit"), secondEui);
    retype(edit(dialog, "portEdit"), QStringLiteral("15"));
    retype(edit(dialog, "dataEdit"), QStringLiteral("DEADBEEF"));
    QTest::keyClick(ackBox(dialog), Qt::Key_Space);
    click(dialog, QDialogButtonBox::Ok);
    const QJsonObject expected = downlink(secondEui, QStringLiteral("DEADBEEF"), 15, true);
    QCOMPARE(nextDownlink(0), expected);

    dialog.show();
    QCOMPARE(edit(dialog, "devEuiEdit")->text(), secondEui);
    QCOMPARE(edit(dialog, "portEdit")->text(), QStringLiteral("15"));
    QCOMPARE(edit(dialog, "dataEdit")->text(), QStringLiteral("DEADBEEF"));
    QVERIFY(ackBox(dialog)->isChecked());
    click(dialog, QDialogButtonBox::Ok);
    QCOMPARE(nextDownlink(1), expected);
}

void TestSendDataDialog::lastEuiOfferedAfterRestart()
{
    SendDataDialog dialog(nullptr);
    retype(edit(dialog, "devEuiEdit"), secondEui);
    click(dialog, QDialogButtonBox::Ok);
    QCOMPARE(nextDownlink(0)
                 .value(Protocol::Key::dataList)
                 .toArray()
                 .first()
                 .toObject()
                 .value(Protocol::Key::devEui),
             QJsonValue(secondEui));

    // A new run starts with the process default; the file still holds the DevEUI.
    CSettings::currentLastSendEui = QString();
    QCOMPARE(SendDataDialog(nullptr).findChild<QLineEdit*>(QStringLiteral("devEuiEdit"))->text(), QString());
    CSettings reopened(CSettings::instance()->fileName());
    QCOMPARE(reopened.value(CSettings::keyName(CSettings::lastSendEui)).toString(), secondEui);

    CSettings::loadLastSendEui();
    QCOMPARE(CSettings::currentLastSendEui, secondEui);
    SendDataDialog next(nullptr);
    QCOMPARE(edit(next, "devEuiEdit")->text(), secondEui);
}

RAVLO_REGISTER_TEST(TestSendDataDialog)
#include "tst_senddatadialog.moc"
