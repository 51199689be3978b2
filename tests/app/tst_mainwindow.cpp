#include "app/CMainWindow.h"
#include "app/CTopPanel.h"
#include "common/LoopbackServer.h"
#include "common/TestRegistry.h"
#include "downlink/widgets/SendDataDialog.h"
#include "foundation/CSettings.h"
#include "intake/ScannedDevices.h"
#include "server/CMessageParser.h"
#include "server/Protocol.h"

#include <QComboBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void operatorLogsInAndRemovesAddedDevices();
    void sendDataButtonReusesOneDialog();
    void languageChoiceStoresCodeAndRestarts_data();
    void languageChoiceStoresCodeAndRestarts();
};

namespace {
template <typename T> T* find(QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(QLatin1String(name));
    if (!child)
        qFatal("no widget %s", name);
    return child;
}
} // namespace

void TestMainWindow::operatorLogsInAndRemovesAddedDevices()
{
    LoopbackServer server;
    server.setCredentials(QStringLiteral("operator"), QStringLiteral("p@ss word"));
    server.setServerInfo(true, 3, 4);
    CMessageParser::connectClientToParser();
    CMainWindow window;
    window.show();

    // Before the login the removal cannot go out: the operator is told and the record keeps its devices.
    ScannedDevices::instance()->add(QStringLiteral("70B3D5E75E000001"));
    QString warning;
    QTimer::singleShot(0, this, [&warning] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            warning = box->text();
            box->accept();
        }
    });
    QTest::mouseClick(find<QPushButton>(window, "removeAddedButton"), Qt::LeftButton);
    QCOMPARE(warning,
             QStringLiteral("Нет подключения к серверу: добавленные устройства не удалены с сервера."));
    QCOMPARE(ScannedDevices::instance()->keys(), QStringList{QStringLiteral("70B3D5E75E000001")});
    QCOMPARE(find<QLabel>(window, "addedCountLabel")->text(), QStringLiteral("1"));

    const QPair<const char*, QString> inputs[] = {{"serverAddressEdit", server.address()},
                                                  {"serverLoginEdit", QStringLiteral("operator")},
                                                  {"serverPasswordEdit", QStringLiteral("p@ss word")}};
    for (const auto& input : inputs) {
        auto* edit = find<QLineEdit>(window, input.first);
        edit->clear(); // the fields start with what earlier tests stored
        QTest::keyClicks(edit, input.second);
    }
    find<QComboBox>(window, "serverProtocolCombo")->setCurrentIndex(1); // "ws"
    QTest::mouseClick(find<QPushButton>(window, "serverConnectButton"), Qt::LeftButton);
    QTRY_COMPARE(find<QLabel>(window, "serverStatusText")->text(), QStringLiteral("Online:"));
    QTRY_COMPARE(find<QLabel>(window, "totalCountLabel")->text(), QStringLiteral("7"));

    ScannedDevices::instance()->add(QStringLiteral("70B3D5E75E000002"));
    QCOMPARE(find<QLabel>(window, "addedCountLabel")->text(), QStringLiteral("2"));
    QTest::mouseClick(find<QPushButton>(window, "removeAddedButton"), Qt::LeftButton);
    QCOMPARE(find<QLabel>(window, "addedCountLabel")->text(), QStringLiteral("0"));
    QTRY_COMPARE(server.receivedObjects(Protocol::Cmd::deleteDevicesReq).size(), 1);
    QCOMPARE(
        server.receivedObjects(Protocol::Cmd::deleteDevicesReq).first().value(Protocol::Key::devicesList),
        QJsonValue(QJsonArray{QStringLiteral("70B3D5E75E000001"), QStringLiteral("70B3D5E75E000002")}));
    QVERIFY(endLoopbackSession(server));
}

void TestMainWindow::sendDataButtonReusesOneDialog()
{
    CMainWindow window;
    window.show();
    auto* button = find<QPushButton>(window, "sendDataButton");
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_COMPARE(window.findChildren<SendDataDialog*>().size(), 1);
    SendDataDialog* first = window.findChildren<SendDataDialog*>().first();
    QVERIFY(first->isVisible() && !first->isModal());
    first->hide();
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(window.findChildren<SendDataDialog*>(), QList<SendDataDialog*>{first});
    QVERIFY(first->isVisible());
}

void TestMainWindow::languageChoiceStoresCodeAndRestarts_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("shownIndex");
    QTest::addColumn<int>("chosenIndex");
    QTest::addColumn<QString>("notice");
    const QString russianNotice =
        QStringLiteral("Внимание, программа перезапустится, для корректного отображения перевода");
    const QString englishNotice =
        QStringLiteral("Attention, the program will restart to display the translation correctly");
    QTest::newRow("first run, choose English") << "" << 1 << 0 << russianNotice;
    QTest::newRow("English, choose Russian") << "en" << 0 << 1 << englishNotice;
    QTest::newRow("EN matches nothing") << "EN" << -1 << 0 << russianNotice;
}

void TestMainWindow::languageChoiceStoresCodeAndRestarts()
{
    QFETCH(QString, stored);
    QFETCH(int, shownIndex);
    QFETCH(int, chosenIndex);
    QFETCH(QString, notice);
    CSettings::writeValue(CSettings::language, stored);
    CTopPanel panel;
    auto* selector = find<QComboBox>(panel, "languageSelector");
    QCOMPARE(selector->currentIndex(), shownIndex);

    QSignalSpy restart(&panel, &CTopPanel::closeProgramm);
    QString shownNotice;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        shownNotice = box->text();
        box->close(); // the window's close button restarts as well as OK does
    });
    selector->setCurrentIndex(chosenIndex);
    QCOMPARE(shownNotice, notice);
    QCOMPARE(restart.count(), 1);
    QCOMPARE(CSettings::readValue(CSettings::language).toString(),
             selector->itemData(chosenIndex).toString());
}

RAVLO_REGISTER_TEST(TestMainWindow)
#include "tst_mainwindow.moc"
