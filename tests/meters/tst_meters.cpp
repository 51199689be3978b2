#include "common/TestRegistry.h"
#include "meters/AppDataKeys.h"
#include "meters/PulseAppData.h"
#include "meters/widgets/CExtPulseSettingsField.h"
#include "meters/widgets/CPulseSettingsField.h"

#include <QComboBox>
#include <QJsonObject>
#include <QtTest>

namespace {

const QString devEui = QStringLiteral("70B3D5E75E00ABCD");

QJsonObject parseObject(const QString& json)
{
    return QJsonDocument::fromJson(json.toUtf8()).object();
}

// One line per key, each a one-key JSON object: QCOMPARE on two such lists names the first key
// whose value or JSON type differs.
QStringList keyLines(const QJsonObject& object)
{
    QStringList lines;
    for (auto it = object.begin(); it != object.end(); ++it)
        lines << QString::fromUtf8(
            QJsonDocument(QJsonObject{{it.key(), *it}}).toJson(QJsonDocument::Compact));
    return lines;
}

// The key lines of the outer object, then those of the inner one read back from "other_info_1".
QStringList appDataLines(const PulseSettings& set, const QString& sn)
{
    QJsonObject outer = buildPulseAppData(set, devEui, sn).object();
    const QJsonObject inner = parseObject(outer.take(AppDataKey::otherInfo1).toString());
    return keyLines(outer) + keyLines(inner);
}

// A record as lines: an SpbZIP meter's application data carries every field but the device type,
// the water code and the two check states.
QStringList fields(PulseSettings set)
{
    const QString rest = QString::asprintf("device_type %g, water %g, checked %d/%d", set.device_type,
                                           set.water, set.enabled, set.ExtPulseSettings::enabled);
    set.device_type = PulseDeviceType::spbzip;
    return appDataLines(set, QString()) << rest;
}

// Every field differs from the initial record, also the three that no editor shows; the texts are
// numbered in field order.
PulseSettings sampleRecord()
{
    PulseSettings set;
    int n = 0;
    for (QString* text :
         {&set.group, &set.address_level_1, &set.name_level_1, &set.level_2, &set.name, &set.info_channel,
          &set.personal_num, &set.model, &set.telephones, &set.emails, &set.telegram_chats, &set.message_sms,
          &set.message_messenger, &set.voice_message, &set.ia, &set.serial})
        *text = QStringLiteral("т%1").arg(++n);
    set.version = 1;
    set.device_type = PulseDeviceType::mercury203Family;
    set.last_date = 1700000000123.0;
    set.calib_interval = 16;
    set.count_rate = 2;
    set.count_phase = 3;
    set.type_meter = 12;
    set.type_channel = 14.5;
    set.num_channel = 2;
    set.kt = 3;
    set.status = 4;
    set.color = 11;
    set.water = 2;
    set.sms = set.email = set.telegram = set.voice = set.enable_danger = true;
    set.user_message_danger = set.app_message_danger = true;
    set.display_power_profile = set.relay = false;
    set.enabled = set.ExtPulseSettings::enabled = true;
    return set;
}

// The inner keys of sampleRecord()'s application data that do not depend on the device type, with mixed
// flags (see appDataFollowsDeviceType). moc reads raw strings as plain ones: keep their quotes paired.
const char commonInner[] =
    R"("address_level_1":"т2","name_level_1":"т3","level_2":"т4","name":"т5","info_channel":"т6",)"
    R"("personal_num":"т7","telephones":"т9","emails":"т10","telegram_chats":"т11","message_sms":"т12",)"
    R"("message_messenger":"т13","voice_message":"т14","num_channel":2,"status":"4","color":11,"kt":3,)"
    R"("last_date":1700000000123,"calib_interval":16,"type_meter":12,"count_rate":2,"sms":true,)"
    R"("email":false,"telegram":true,"voice":false,"enable_danger":true,"display_power_profile":false,)"
    R"("relay":true,"user_message_danger":true,"app_message_danger":false)";

} // namespace

class TestMeters : public QObject
{
    Q_OBJECT
private slots:
    void pulseGroupRecords();
    void deviceTypeRules_data();
    void deviceTypeRules();
    void appDataFollowsDeviceType_data();
    void appDataFollowsDeviceType();
};

void TestMeters::pulseGroupRecords()
{
    CPulseSettingsField group;
    PulseSettings expected;
    expected.version = 0; // a new group shows the first item, though the record starts at 2
    QCOMPARE(fields(group.getSettings()), fields(expected));

    // Loading leaves the check states alone; the fields without an editor always read 14, 1 and 1.
    group.settSettings(sampleRecord());
    expected = sampleRecord();
    expected.enabled = expected.ExtPulseSettings::enabled = false;
    expected.type_channel = 14;
    expected.num_channel = expected.kt = 1;
    QCOMPARE(fields(group.getSettings()), fields(expected));

    // A code outside its list selects no item, which reads as 0.
    expected.device_type = 99;
    expected.status = 7;
    expected.color = 12;
    group.settSettings(expected);
    expected.device_type = expected.status = expected.color = 0;
    QCOMPARE(fields(group.getSettings()), fields(expected));

    group.expandAll();
    expected.enabled = expected.ExtPulseSettings::enabled = true;
    QCOMPARE(fields(group.getSettings()), fields(expected));
}

void TestMeters::deviceTypeRules_data()
{
    QTest::addColumn<QList<int>>("choices");
    QTest::addColumn<QString>("state"); // the disabled inputs, sorted; the tariffs; the relay box
    const QString all = "count_phase count_rate display_power_profile ia relay serial type_meter water";
    // A new group already shows type 12: its row checks the state the group starts with.
    QTest::newRow("12") << QList<int>{12} << "ia serial water; 1; 1";
    QTest::newRow("27") << QList<int>{27} << "ia serial water; 1; 1";
    QTest::newRow("24 SpbZIP") << QList<int>{24} << "count_rate type_meter water; 4; 1";
    QTest::newRow("9 Betar SVE") << QList<int>{9} << QString(all).remove(" water") + "; 1; 0";
    QTest::newRow("17 Betar SGBM") << QList<int>{17} << all + "; 1; 1";
    QTest::newRow("9, then 12") << QList<int>{9, 12} << "ia serial water; 1; 0";
    QTest::newRow("99, not listed") << QList<int>{99} << all + "; 1; 1";
}

void TestMeters::deviceTypeRules()
{
    QFETCH(QList<int>, choices);
    QFETCH(QString, state);
    CPulseSettingsField group;
    group.expandAll(); // a collapsed group disables all its editors
    auto* deviceType = group.findChild<QComboBox*>("device_type");
    for (int type : choices)
        deviceType->setCurrentIndex(deviceType->findData(type));

    QStringList disabled; // every input not named here is enabled
    for (QWidget* input : group.findChildren<QWidget*>())
        if (!input->isEnabledTo(input->parentWidget()))
            disabled << input->objectName();
    disabled.sort();
    const PulseSettings read = group.getSettings();
    QCOMPARE(disabled.join(' ') + QString::asprintf("; %g; %d", read.count_rate, read.relay), state);
}

void TestMeters::appDataFollowsDeviceType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("typeKeys");
    QTest::newRow("24 SpbZIP")
        << 24 << R"("ia":"т15","serial":"т16","type_channel":14.5,"model":"т8","count_phase":3)";
    QTest::newRow("9 Betar SVE") << 9 << R"("ia":"SN-1","serial":"SN-1","type_channel":8,"water":2)";
    QTest::newRow("17 Betar SGBM")
        << 17 << R"("ia":"SN-1","serial":"SN-1","type_channel":15,"model":"т8","count_phase":3)";
    QTest::newRow("12") << 12
                        << R"("ia":"SN-1","serial":"SN-1","type_channel":14.5,"model":"т8","count_phase":3)";
}

void TestMeters::appDataFollowsDeviceType()
{
    QFETCH(int, type);
    QFETCH(QString, typeKeys);
    PulseSettings set = sampleRecord();
    set.device_type = type;
    set.version = 1.5;
    set.email = set.voice = set.app_message_danger = false; // mixed flags show a swapped key
    set.relay = true;
    const QString outer = R"({"devEui":"%1","sn":"SN-1","device_type":"%2","version":"1.5","group":"т1"})";
    const QString inner = QStringLiteral("{%1,%2}").arg(commonInner, typeKeys);
    QCOMPARE(appDataLines(set, QStringLiteral("SN-1")),
             keyLines(parseObject(outer.arg(devEui).arg(type))) + keyLines(parseObject(inner)));
}

RAVLO_REGISTER_TEST(TestMeters)
#include "tst_meters.moc"
