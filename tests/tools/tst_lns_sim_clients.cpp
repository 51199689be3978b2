#include "SimTestSupport.h"
#include "common/TestRegistry.h"

#include <QtTest>

#include <memory>
#include <vector>

namespace K = Protocol::Key;

namespace {
// An answer in one line: its command, its status and the DevEUIs or statuses it lists.
QString outcome(const QJsonObject& answer)
{
    const QStringList parts{answer.value(K::cmd).toString(),
                            answer.value(K::status).toBool() ? QStringLiteral("true")
                                                             : QStringLiteral("false"),
                            statuses(answer), statuses(answer, K::devicesList, K::devEui)};
    return parts.join(QLatin1Char(' ')).simplified();
}

// One of many clients at once: sends its requests one after the other, each when the answer of
// the one before has come, and keeps the outcome of every answer.
class ScriptedClient : public QObject
{
    Q_OBJECT
public:
    ScriptedClient(const QUrl& url, const QStringList& requests) : m_requests(requests)
    {
        m_socket.setMaxAllowedIncomingMessageSize(1024 * 1024);
        connect(&m_socket, &QWebSocket::connected, this, &ScriptedClient::sendNext);
        connect(&m_socket, &QWebSocket::textMessageReceived, this, [this](const QString& text) {
            outcomes.append(outcome(QJsonDocument::fromJson(text.toUtf8()).object()));
            sendNext();
        });
        connect(&m_socket, QOverload<QAbstractSocket::SocketError>::of(&QWebSocket::error), this, [this] {
            m_failed = true;
            outcomes.append(QStringLiteral("error: ") + m_socket.errorString());
        });
        m_socket.open(url);
    }
    bool done() const { return m_failed || outcomes.size() >= m_requests.size(); }

    QStringList outcomes;

private:
    void sendNext()
    {
        if (outcomes.size() < m_requests.size())
            m_socket.sendTextMessage(m_requests.at(outcomes.size()));
    }

    QWebSocket m_socket;
    QStringList m_requests;
    bool m_failed = false;
};
} // namespace

// Many clients of one simulator at the same time.
class TestLnsSimClients : public QObject
{
    Q_OBJECT
private slots:
    void manyClientsAtOnce();
};

void TestLnsSimClients::manyClientsAtOnce()
{
    constexpr int clients = 200;
    constexpr int devicesEach = 3;
    SimPeer peer;
    QVERIFY(peer.start());
    std::vector<std::unique_ptr<ScriptedClient>> scripted;
    std::vector<QStringList> expected;
    for (int client = 0; client < clients; ++client) {
        QStringList devEuis;
        QStringList devices;
        for (int device = 0; device < devicesEach; ++device) {
            devEuis.append(QStringLiteral("70B3D5%1%2")
                               .arg(client, 8, 16, QChar('0'))
                               .arg(device, 2, 16, QChar('0'))
                               .toUpper());
            devices.append(QStringLiteral(R"({"devEui":"%1",$OTAA,$SETTINGS})").arg(devEuis.last()));
        }
        const QStringList requests{
            QStringLiteral(R"({"cmd":"auth_req","login":"operator","password":"ravlo"})"),
            manageRequest(devices.join(',')),
            QStringLiteral(R"({"cmd":"get_devices_req","select":{"devEui_list":["%1"]}})")
                .arg(devEuis.join("\",\""))};
        expected.push_back({"auth_resp true", "manage_devices_resp true added added added",
                            "get_devices_resp true " + devEuis.join(' ')});
        scripted.push_back(std::make_unique<ScriptedClient>(peer.sim.url, requests));
    }
    QTRY_VERIFY_WITH_TIMEOUT(
        std::all_of(scripted.begin(), scripted.end(), [](const auto& c) { return c->done(); }), 120000);
    for (int client = 0; client < clients; ++client)
        QCOMPARE(scripted[client]->outcomes, expected[client]);
    const QJsonObject all = peer.client.request(QStringLiteral(R"({"cmd":"get_devices_req"})"));
    QCOMPARE(all.value(K::devicesList).toArray().size(), clients * devicesEach);
}

RAVLO_REGISTER_TEST(TestLnsSimClients)
#include "tst_lns_sim_clients.moc"
