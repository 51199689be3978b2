#include "WindowTestSupport.h"

#include "app/CMainWindow.h"
#include "server/CServerClient.h"
#include "tools/SimTestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

void logIn(CMainWindow& window, const SimProcess& sim, const QString& password)
{
    const QPair<const char*, QString> inputs[] = {
        {"serverAddressEdit", QStringLiteral("127.0.0.1:%1").arg(sim.url.port())},
        {"serverLoginEdit", QStringLiteral("operator")},
        {"serverPasswordEdit", password}};
    for (const auto& input : inputs) {
        auto* edit = find<QLineEdit>(window, input.first);
        edit->clear();
        QTest::keyClicks(edit, input.second);
    }
    find<QComboBox>(window, "serverProtocolCombo")->setCurrentIndex(1); // "ws"
    QTest::mouseClick(find<QPushButton>(window, "serverConnectButton"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(CServerClient::instance()->clientState(), EClientStates::ready, 10000);
}
