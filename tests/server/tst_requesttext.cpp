#include "common/TestRegistry.h"
#include "server/CMessageParser.h"
#include "server/JsonText.h"
#include "server/ManageDevicesText.h"
#include "server/Protocol.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {
// The request as the JSON classes make it: formDeviceJson for each device, Qt's compact writer.
QString builtWithQt(const QVector<LoRaDevice>& devices)
{
    QJsonArray list;
    for (const LoRaDevice& device : devices)
        CMessageParser::formDeviceJson(device, list);
    QJsonObject request{{Protocol::Key::cmd, Protocol::Cmd::manageDevicesReq}};
    if (!list.isEmpty())
        request.insert(Protocol::Key::devicesList, list);
    return compactJsonText(request);
}

// Texts that need every kind of escape or none.
const QStringList awkwardTexts = [] {
    QStringList texts{"",
                      "70B3D5E75E001234",
                      "quote\" backslash\\ slash/",
                      "Счётчик воды №7",
                      "tab\tnewline\ncr\rbackspace\bformfeed\f",
                      QString("nul") + QChar(0) + "end",
                      QString::fromUtf8("emoji 😀 clef 𝄞"),
                      QString(QChar(0x7f)) + QChar(0xfeff) + QChar(0xffff),
                      QString(QChar(0xd800)) + "lone high",
                      QString("lone low") + QChar(0xdc00),
                      QString(QChar(0xdc00)) + QChar(0xd800) + "reversed pair",
                      QString("high at end") + QChar(0xdbff)};
    QString controls;
    for (ushort u = 0; u < 0x20; ++u)
        controls += QChar(u);
    texts << controls;
    return texts;
}();

const QVector<double> awkwardDoubles{-1.0,
                                     -1.0 + 1e-13,
                                     -1.000001,
                                     -0.0,
                                     0.0,
                                     37.6173,
                                     55.75,
                                     0.1 + 0.2,
                                     1.0 / 3,
                                     1e15,
                                     1e16,
                                     9007199254740993.0,
                                     1e19,
                                     9223372036854775808.0,
                                     -9223372036854775808.0,
                                     18446744073709551616.0,
                                     1e21,
                                     1e-7,
                                     5e-324,
                                     -1e300,
                                     std::numeric_limits<double>::quiet_NaN(),
                                     std::numeric_limits<double>::infinity(),
                                     -std::numeric_limits<double>::infinity()};

const QVector<qint32> awkwardInts{std::numeric_limits<qint32>::min(), -2, -1, 0, 1, 869100000,
                                  std::numeric_limits<qint32>::max()};
const QVector<quint32> awkwardAddresses{0, 1, 0x7fffffffu, 0x80000000u, 0xfc00ac01u, 0xffffffffu};

// A device with every field drawn from the awkward values, its credentials flags from bits.
LoRaDevice randomDevice(QRandomGenerator& random)
{
    auto text = [&random] { return awkwardTexts.at(random.bounded(awkwardTexts.size())); };
    auto number = [&random] { return awkwardInts.at(random.bounded(awkwardInts.size())); };
    LoRaDevice d;
    d.devEui = text();
    d.appEui = text();
    d.appKey = text();
    d.devAddress = awkwardAddresses.at(random.bounded(awkwardAddresses.size()));
    d.appsKey = text();
    d.nwksKey = text();
    d.devName = text();
    d.devClass = text();
    d.freq4 = number();
    d.freq5 = number();
    d.freq6 = number();
    d.freq7 = number();
    d.freq8 = number();
    d.freqRx2 = number();
    d.rxWindow = number();
    d.delayRx1 = number();
    d.delayJoin1 = number();
    d.reactionTime = number();
    d.altitude = number();
    d.longitude = awkwardDoubles.at(random.bounded(awkwardDoubles.size()));
    d.latitude = awkwardDoubles.at(random.bounded(awkwardDoubles.size()));
    d.preferDr = number();
    d.preferPower = number();
    d.drRx2 = number();
    d.classCGate = number();
    d.useDownlinkQueueClassC = random.bounded(2);
    d.serverAdrEnable = random.bounded(2);
    for (bool& enabled : d.channelEn)
        enabled = random.bounded(2);
    d.hasAbp = random.bounded(2);
    d.hasOtaa = random.bounded(2);
    return d;
}

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}
} // namespace

// The request text written straight from the records must be, character for character, the
// text the JSON classes make: the server and every test of the requests see no difference.
class TestRequestText : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_previous = qInstallMessageHandler(quiet); }
    void cleanup() { qInstallMessageHandler(m_previous); }
    void sameTextAsQt_data();
    void sameTextAsQt();
    void partOfAList();

private:
    QtMessageHandler m_previous = nullptr;
};

void TestRequestText::sameTextAsQt_data()
{
    QTest::addColumn<QVector<LoRaDevice>>("devices");
    QTest::newRow("no devices") << QVector<LoRaDevice>();
    QTest::newRow("a default record") << QVector<LoRaDevice>{LoRaDevice()};
    LoRaDevice unset;
    unset.devEui = "70B3D5E75E001234";
    unset.freq4 = unset.freq5 = unset.freq6 = unset.freq7 = unset.freq8 = unset.freqRx2 = -1;
    unset.rxWindow = unset.delayRx1 = unset.delayJoin1 = unset.reactionTime = unset.altitude = -1;
    unset.preferDr = unset.preferPower = unset.drRx2 = unset.classCGate = -1;
    unset.latitude = unset.longitude = -1.0;
    for (int flags = 0; flags < 4; ++flags) {
        LoRaDevice d = unset;
        d.hasAbp = flags & 1;
        d.hasOtaa = flags & 2;
        QTest::addRow("all unset, abp %d otaa %d", flags & 1, flags >> 1) << QVector<LoRaDevice>{d};
    }
    // Each awkward value on its own, in each of the four credential cases.
    for (int flags = 0; flags < 4; ++flags) {
        for (int i = 0; i < awkwardTexts.size(); ++i) {
            LoRaDevice d = unset;
            d.hasAbp = flags & 1;
            d.hasOtaa = flags & 2;
            d.devEui = d.devName = d.devClass = d.appEui = d.appKey = d.appsKey = d.nwksKey =
                awkwardTexts.at(i);
            QTest::addRow("text %d, case %d", i, flags) << QVector<LoRaDevice>{d};
        }
        for (int i = 0; i < awkwardDoubles.size(); ++i) {
            LoRaDevice d = unset;
            d.hasAbp = flags & 1;
            d.hasOtaa = flags & 2;
            d.longitude = awkwardDoubles.at(i);
            d.latitude = -awkwardDoubles.at(i);
            QTest::addRow("coordinate %d, case %d", i, flags) << QVector<LoRaDevice>{d};
        }
    }
    QRandomGenerator random(20261207);
    QVector<LoRaDevice> many;
    for (int i = 0; i < 3000; ++i)
        many.append(randomDevice(random));
    QTest::newRow("3000 devices of random awkward values") << many;
}

void TestRequestText::sameTextAsQt()
{
    QFETCH(QVector<LoRaDevice>, devices);
    const QString direct = ManageDevicesText::request(devices);
    const QString qt = builtWithQt(devices);
    if (direct != qt) {
        int at = 0;
        while (at < qMin(direct.size(), qt.size()) && direct.at(at) == qt.at(at))
            ++at;
        QFAIL(qPrintable(QString("differs at %1:\n written %2\n Qt      %3")
                             .arg(at)
                             .arg(direct.mid(qMax(0, at - 60), 120), qt.mid(qMax(0, at - 60), 120))));
    }
    // What goes on the wire is the UTF-8 of the text.
    QCOMPARE(direct.toUtf8(), qt.toUtf8());
}

void TestRequestText::partOfAList()
{
    QRandomGenerator random(7);
    QVector<LoRaDevice> devices;
    for (int i = 0; i < 50; ++i)
        devices.append(randomDevice(random));
    QCOMPARE(ManageDevicesText::request(devices, 10, 20), builtWithQt(devices.mid(10, 20)));
    QCOMPARE(ManageDevicesText::request(devices, 45, 20), builtWithQt(devices.mid(45)));
    QCOMPARE(ManageDevicesText::request(devices, 50, 20), builtWithQt({}));
    QCOMPARE(ManageDevicesText::request(devices, 30), builtWithQt(devices.mid(30)));
}

RAVLO_REGISTER_TEST(TestRequestText)
#include "tst_requesttext.moc"
