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
#include <QScreen>
#include <QtTest>

#include <functional>

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void operatorLogsInAndRemovesAddedDevices();
    void sendDataButtonReusesOneDialog();
    void staysOnScreen();
    void placedAtTheSizeItIsShownWith();
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
// Runs the action and answers each message box it opens with the next of the given buttons;
// returns the boxes' texts.
QStringList answerBoxes(QList<QMessageBox::StandardButton> answers, const std::function<void()>& action)
{
    QStringList texts;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || answers.isEmpty())
            return;
        texts << box->text();
        QAbstractButton* button = box->button(answers.takeFirst());
        (button ? button : box->buttons().value(0))->click();
    });
    poll.start(10);
    action();
    return texts;
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

    // An empty record asks nothing and sends nothing.
    auto* remove = find<QPushButton>(window, "removeAddedButton");
    QCOMPARE(answerBoxes({}, [&] { QTest::mouseClick(remove, Qt::LeftButton); }), QStringList());

    // Before the login the removal cannot go out: the operator is told and the record keeps its devices.
    ScannedDevices::instance()->add(QStringLiteral("70B3D5E75E000001"));
    QCOMPARE(
        answerBoxes({QMessageBox::Yes, QMessageBox::Ok}, [&] { QTest::mouseClick(remove, Qt::LeftButton); }),
        QStringList(
            {QStringLiteral("Удалить с сервера устройства, добавленные в этом сеансе (1)?"),
             QStringLiteral("Нет подключения к серверу: добавленные устройства не удалены с сервера.")}));
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
    // No keeps everything; Yes removes both.
    answerBoxes({QMessageBox::No}, [&] { QTest::mouseClick(remove, Qt::LeftButton); });
    QCOMPARE(find<QLabel>(window, "addedCountLabel")->text(), QStringLiteral("2"));
    answerBoxes({QMessageBox::Yes}, [&] { QTest::mouseClick(remove, Qt::LeftButton); });
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

// However large the window, its top-left corner stays on the screen.
void TestMainWindow::staysOnScreen()
{
    CMainWindow window;
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    for (const QSize& size : {QSize(640, 480), available.size() - QSize(10, 10), available.size() * 2}) {
        window.resize(size);
        QMetaObject::invokeMethod(&window, "moveToCenter");
        QVERIFY2(available.contains(window.pos()),
                 qPrintable(QStringLiteral("%1,%2").arg(window.x()).arg(window.y())));
        if (window.width() <= available.width())
            QVERIFY(window.x() + window.width() - 1 <= available.right());
    }
    // A small window sits left of and above the centre, as far as the screen allows (the
    // offscreen screen is 800 pixels wide: 480 pixels left of its centre is off it).
    window.resize(640, 480);
    QMetaObject::invokeMethod(&window, "moveToCenter");
    const QPoint wanted = available.center() - QPoint(480, 216);
    QCOMPARE(window.pos(), QPoint(qMax(available.left(), wanted.x()), qMax(available.top(), wanted.y())));
}

// The window is placed with the size it appears with: showing it does not grow it past where
// it was placed for.
void TestMainWindow::placedAtTheSizeItIsShownWith()
{
    CMainWindow window;
    const QSize placed = window.size();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.size(), placed);
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
