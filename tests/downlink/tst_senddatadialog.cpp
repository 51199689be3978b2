#include "common/LoopbackServer.h"
#include "common/TestRegistry.h"
#include "downlink/widgets/SendDataDialog.h"
#include "foundation/CSettings.h"
#include "server/Protocol.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QJsonDocument>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

namespace {

const char* const fieldNames[] = {"devEuiEdit", "portEdit", "dataEdit"}; // the order of the texts below

QCheckBox* ackBox(SendDataDialog& dialog)
{
    return dialog.findChild<QCheckBox*>(QStringLiteral("ackBox"));
}

QStringList fieldTexts(SendDataDialog& dialog)
{
    QStringList texts;
    for (const char* name : fieldNames)
        texts << dialog.findChild<QLineEdit*>(QLatin1String(name))->text();
    return texts;
}

// Types the texts, sets the ACK box and presses a button, as an operator would.
void fillAndPress(SendDataDialog& dialog, const QStringList& texts, bool ack,
                  QDialogButtonBox::StandardButton button)
{
    for (int i = 0; i < texts.size(); ++i) {
        auto* field = dialog.findChild<QLineEdit*>(QLatin1String(fieldNames[i]));
        field->clear();
        QTest::keyClicks(field, texts.at(i));
    }
    if (ackBox(dialog)->isChecked() != ack)
        QTest::keyClick(ackBox(dialog), Qt::Key_Space);
    dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(button)->click();
}

// The message expected for the typed texts, as compact JSON like firstDownlink() gives.
QByteArray downlink(const QStringList& typed, int port, bool ack)
{
    const QString text =
        R"({"cmd":"send_data_req","data_list":[{"devEui":"%1","data":"%2","port":%3,"ack":%4}]})";
    const QString ackText = ack ? QStringLiteral("true") : QStringLiteral("false");
    const QString message = text.arg(typed.at(0), typed.at(2), QString::number(port), ackText);
    return QJsonDocument::fromJson(message.toUtf8()).toJson(QJsonDocument::Compact);
}

// What the next start reads from the settings file as the last DevEUI.
QString storedLastSendEui()
{
    return QSettings(QStringLiteral("settings.cfg"), QSettings::IniFormat).value("lastSendEui").toString();
}

} // namespace

class TestSendDataDialog : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { m_server.clearReceived(); }
    void sendsWhatWasTyped_data();
    void sendsWhatWasTyped();
    void cancelSendsNothingAndRestartOffersLastEui();
    void refusesWhatCannotBeMeant_data();
    void refusesWhatCannotBeMeant();
    void withoutLoginNothingIsClaimedSent();

private:
    // Waits for the first "send_data_req" the server receives after init().
    QByteArray firstDownlink();

    LoopbackServer m_server;
    // One dialog shown again and again, as the left panel does, and what it must show next.
    SendDataDialog m_dialog{nullptr};
    QStringList m_shown{QString(), QStringLiteral("02"), QString()};
    bool m_ackShown = false;
};

void TestSendDataDialog::initTestCase()
{
    CSettings::instance(qApp);
    QVERIFY(loginToLoopbackServer(m_server));
}

QByteArray TestSendDataDialog::firstDownlink()
{
    const auto received = [this] { return m_server.receivedObjects(Protocol::Cmd::sendDataReq); };
    if (!QTest::qWaitFor([&] { return !received().isEmpty(); }, 5000))
        return QByteArray();
    return QJsonDocument(received().first()).toJson(QJsonDocument::Compact);
}

void TestSendDataDialog::sendsWhatWasTyped_data()
{
    QTest::addColumn<QString>("portText");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("ack");
    for (const bool ack : {true, false}) {
        const char* const ackTag = ack ? "ACK" : "no ACK";
        QTest::addRow("port 2, %s", ackTag) << "2" << 2 << ack;
        QTest::addRow("port 02, %s", ackTag) << "02" << 2 << ack;
        QTest::addRow("port 223, %s", ackTag) << "223" << 223 << ack;
    }
}

void TestSendDataDialog::sendsWhatWasTyped()
{
    QFETCH(QString, portText);
    QFETCH(int, port);
    QFETCH(bool, ack);
    m_dialog.show();
    QCOMPARE(fieldTexts(m_dialog), m_shown);
    QCOMPARE(ackBox(m_dialog)->isChecked(), m_ackShown);
    m_shown = QStringList{QStringLiteral("70B3D5E75E000001"), portText, QStringLiteral("0A0B0C")};
    m_ackShown = ack;
    fillAndPress(m_dialog, m_shown, ack, QDialogButtonBox::Ok);
    QCOMPARE(firstDownlink(), downlink(m_shown, port, ack));
    QCOMPARE(m_dialog.result(), int(QDialog::Accepted));
    QVERIFY(!m_dialog.isVisible());
}

void TestSendDataDialog::cancelSendsNothingAndRestartOffersLastEui()
{
    const QString lastEui = CSettings::currentLastSendEui;
    const QString eui = QStringLiteral("70B3D5E75E000002");
    m_dialog.show();
    fillAndPress(m_dialog, {eui, QStringLiteral("15"), QStringLiteral("01")}, true, QDialogButtonBox::Cancel);
    QCOMPARE(m_dialog.result(), int(QDialog::Rejected));
    QVERIFY(!m_dialog.isVisible());
    QCOMPARE(storedLastSendEui(), lastEui);
    QCOMPARE(CSettings::currentLastSendEui, lastEui);

    // Frames arrive in order: had the cancelled downlink ("01") gone out, it would come first.
    m_dialog.show();
    const QStringList typed{eui, QStringLiteral("15"), QStringLiteral("02")};
    fillAndPress(m_dialog, typed, true, QDialogButtonBox::Ok);
    QCOMPARE(firstDownlink(), downlink(typed, 15, true));
    QCOMPARE(storedLastSendEui(), eui);
    QCOMPARE(CSettings::currentLastSendEui, eui);

    // A new run starts with an empty DevEUI in memory and takes the stored one at start-up.
    CSettings::currentLastSendEui.clear();
    CSettings::loadLastSendEui();
    SendDataDialog next(nullptr);
    QCOMPARE(fieldTexts(next).first(), eui);
}

void TestSendDataDialog::withoutLoginNothingIsClaimedSent()
{
    QVERIFY(endLoopbackSession(m_server));
    const QString lastEui = CSettings::currentLastSendEui;
    QString warning;
    QTimer::singleShot(0, this, [&warning] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            warning = box->text();
            box->accept();
        }
    });
    m_dialog.show();
    fillAndPress(m_dialog, {QStringLiteral("70B3D5E75E000009"), QStringLiteral("3"), QStringLiteral("FF")},
                 false, QDialogButtonBox::Ok);
    QCOMPARE(warning, QStringLiteral("Нет подключения к серверу: данные не отправлены."));
    QVERIFY(m_dialog.isVisible()); // kept open with its values for another try
    QCOMPARE(fieldTexts(m_dialog).first(), QStringLiteral("70B3D5E75E000009"));
    QCOMPARE(CSettings::currentLastSendEui, lastEui);
    QVERIFY(m_server.receivedObjects(Protocol::Cmd::sendDataReq).isEmpty());
    m_dialog.hide();
}

void TestSendDataDialog::refusesWhatCannotBeMeant_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("error"); // empty: the downlink goes out
    const QString badPort = QStringLiteral("Порт должен быть числом от 1 до 223.");
    const QString notHex =
        QStringLiteral("Данные должны состоять из пар шестнадцатеричных цифр, например 0A1B.");
    const QString empty = QStringLiteral("Введите данные для отправки.");
    QTest::newRow("port abc") << "abc"
                              << "0A" << badPort;
    QTest::newRow("port 0") << "0"
                            << "0A" << badPort;
    QTest::newRow("port 224") << "224"
                              << "0A" << badPort;
    QTest::newRow("port -1") << "-1"
                             << "0A" << badPort;
    QTest::newRow("port empty") << ""
                                << "0A" << badPort;
    QTest::newRow("port 2.5") << "2.5"
                              << "0A" << badPort;
    QTest::newRow("port 0x10") << "0x10"
                               << "0A" << badPort;
    QTest::newRow("data XYZ") << "2"
                              << "XYZ" << notHex;
    QTest::newRow("odd digit count") << "2"
                                     << "0A1" << notHex;
    QTest::newRow("spaces inside") << "2"
                                   << "0A 1B" << notHex;
    QTest::newRow("0x prefix") << "2"
                               << "0x0A" << notHex;
    QTest::newRow("no data") << "2"
                             << "" << empty;
    QTest::newRow("243 bytes") << "2" << QString(486, 'F')
                               << QStringLiteral("Данных 243 байт, больше чем 242.");
    QTest::newRow("242 bytes") << "2" << QString(484, 'f') << QString();
    QTest::newRow("port 1, mixed case") << "1"
                                        << "0aFf" << QString();
    QTest::newRow("port 223") << "223"
                              << "00" << QString();
}

void TestSendDataDialog::refusesWhatCannotBeMeant()
{
    QFETCH(QString, port);
    QFETCH(QString, data);
    QFETCH(QString, error);
    QCOMPARE(SendDataDialog::inputError(port, data), error);
    if (error.isEmpty())
        return;
    // Through the dialog: the operator is told, nothing goes out, the dialog keeps the values.
    QString warning;
    QTimer::singleShot(0, this, [&warning] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            warning = box->text();
            box->accept();
        }
    });
    const QStringList typed{QStringLiteral("70B3D5E75E000003"), port, data};
    m_dialog.show();
    fillAndPress(m_dialog, typed, false, QDialogButtonBox::Ok);
    QCOMPARE(warning, error);
    QVERIFY(m_dialog.isVisible());
    QCOMPARE(fieldTexts(m_dialog), typed);
    // A valid downlink sent afterwards is the first the server sees.
    const QStringList good{QStringLiteral("70B3D5E75E000003"), QStringLiteral("5"), QStringLiteral("AB")};
    fillAndPress(m_dialog, good, false, QDialogButtonBox::Ok);
    QCOMPARE(firstDownlink(), downlink(good, 5, false));
    QVERIFY(!m_dialog.isVisible());
}

RAVLO_REGISTER_TEST(TestSendDataDialog)
#include "tst_senddatadialog.moc"
