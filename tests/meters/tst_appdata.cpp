#include "common/TestRegistry.h"
#include "meters/AppDataKeys.h"
#include "meters/CPulseSettingsField.h"
#include "meters/PulseAppData.h"

#include <QJsonObject>
#include <QtTest>

namespace {

const QString devEui = QStringLiteral("70B3D5E75E00ABCD");
const QString sn = QStringLiteral("SN-000123");

// Every field differs from its initial value; type_channel has a fraction so that a fixed
// integer channel type cannot be confused with it.
PulseSettings meterRecord(double deviceType)
{
    PulseSettings set;
    set.group = QStringLiteral("Корпус \"А\"");
    set.version = 1;
    set.device_type = deviceType;
    set.address_level_1 = QStringLiteral("ул. Ленина, 1");
    set.name_level_1 = QStringLiteral("Склад");
    set.level_2 = QStringLiteral("Щитовая");
    set.name = QStringLiteral("Ввод 1");
    set.info_channel = QStringLiteral("комментарий");
    set.last_date = 1700000000123.0;
    set.calib_interval = 8;
    set.personal_num = QStringLiteral("4711");
    set.model = QStringLiteral("M-230");
    set.count_rate = 3;
    set.count_phase = 3;
    set.telephones = QStringLiteral("+70000000000");
    set.emails = QStringLiteral("a@b.c");
    set.telegram_chats = QStringLiteral("@chat");
    set.message_sms = QStringLiteral("sms text");
    set.message_messenger = QStringLiteral("messenger text");
    set.voice_message = QStringLiteral("voice text");
    set.ia = QStringLiteral("IA-77");
    set.serial = QStringLiteral("SER-88");
    set.sms = true;
    set.email = false;
    set.telegram = true;
    set.voice = false;
    set.enable_danger = true;
    set.display_power_profile = false;
    set.relay = true;
    set.type_meter = 9;
    set.type_channel = 14.5;
    set.num_channel = 2;
    set.kt = 3;
    set.status = 2;
    set.color = 5;
    set.user_message_danger = true;
    set.app_message_danger = false;
    set.water = 2;
    set.enabled = true;
    return set;
}

QJsonObject parseInner(const QJsonObject& outer)
{
    QJsonParseError error;
    const QJsonDocument inner =
        QJsonDocument::fromJson(outer.value(AppDataKey::otherInfo1).toString().toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !inner.isObject())
        return QJsonObject();
    return inner.object();
}

} // namespace

class TestAppData : public QObject
{
    Q_OBJECT
private slots:
    void documentFollowsDeviceType_data();
    void documentFollowsDeviceType();
    void codesTravelAsText_data();
    void codesTravelAsText();
    void emptySerialNumberFillsIaAndSerial();
    void newPulseGroupGivesDocument();
};

void TestAppData::documentFollowsDeviceType_data()
{
    QTest::addColumn<double>("deviceType");
    QTest::addColumn<QString>("ia");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QJsonValue>("typeChannel");
    QTest::addColumn<QString>("typeChannelText");
    QTest::addColumn<bool>("waterMeter");
    QTest::newRow("24 SpbZIP") << 24.0 << "IA-77"
                               << "SER-88" << QJsonValue(14.5) << "14.5" << false;
    QTest::newRow("9 Betar SVE") << 9.0 << sn << sn << QJsonValue(8) << "8" << true;
    QTest::newRow("17 Betar SGBM") << 17.0 << sn << sn << QJsonValue(15) << "15" << false;
    QTest::newRow("12") << 12.0 << sn << sn << QJsonValue(14.5) << "14.5" << false;
}

void TestAppData::documentFollowsDeviceType()
{
    QFETCH(double, deviceType);
    QFETCH(QString, ia);
    QFETCH(QString, serial);
    QFETCH(QJsonValue, typeChannel);
    QFETCH(QString, typeChannelText);
    QFETCH(bool, waterMeter);
    const PulseSettings set = meterRecord(deviceType);

    const QJsonDocument document = buildPulseAppData(set, devEui, sn);
    QVERIFY(document.isObject());
    const QJsonObject outer = document.object();
    QCOMPARE(outer.keys(), (QStringList{"devEui", "device_type", "group", "other_info_1", "sn", "version"}));
    QCOMPARE(outer.value(AppDataKey::devEui), QJsonValue(devEui));
    QCOMPARE(outer.value(AppDataKey::sn), QJsonValue(sn));
    QCOMPARE(outer.value(AppDataKey::deviceType), QJsonValue(QString::number(int(deviceType))));
    QCOMPARE(outer.value(AppDataKey::version), QJsonValue(QStringLiteral("1")));
    QCOMPARE(outer.value(AppDataKey::group), QJsonValue(set.group));
    QVERIFY(outer.value(AppDataKey::otherInfo1).isString());

    const QJsonObject inner = parseInner(outer);
    QStringList expectedKeys{"address_level_1",
                             "name_level_1",
                             "level_2",
                             "name",
                             "num_channel",
                             "status",
                             "color",
                             "info_channel",
                             "kt",
                             "last_date",
                             "calib_interval",
                             "ia",
                             "serial",
                             "personal_num",
                             "type_meter",
                             "type_channel",
                             "telephones",
                             "emails",
                             "telegram_chats",
                             "sms",
                             "email",
                             "telegram",
                             "enable_danger",
                             "message_sms",
                             "message_messenger",
                             "voice",
                             "voice_message",
                             "count_rate",
                             "display_power_profile",
                             "relay",
                             "user_message_danger",
                             "app_message_danger"};
    expectedKeys << (waterMeter ? QStringList{"water"} : QStringList{"model", "count_phase"});
    expectedKeys.sort();
    QCOMPARE(inner.keys(), expectedKeys);

    QCOMPARE(inner.value("address_level_1"), QJsonValue(set.address_level_1));
    QCOMPARE(inner.value("name_level_1"), QJsonValue(set.name_level_1));
    QCOMPARE(inner.value("level_2"), QJsonValue(set.level_2));
    QCOMPARE(inner.value("name"), QJsonValue(set.name));
    QCOMPARE(inner.value("num_channel"), QJsonValue(2));
    QCOMPARE(inner.value("status"), QJsonValue(QStringLiteral("2")));
    QCOMPARE(inner.value("color"), QJsonValue(5));
    QCOMPARE(inner.value("info_channel"), QJsonValue(set.info_channel));
    QCOMPARE(inner.value("kt"), QJsonValue(3));
    QCOMPARE(inner.value("last_date").toDouble(), 1700000000123.0);
    QCOMPARE(inner.value("calib_interval"), QJsonValue(8));
    QCOMPARE(inner.value("ia"), QJsonValue(ia));
    QCOMPARE(inner.value("serial"), QJsonValue(serial));
    QCOMPARE(inner.value("personal_num"), QJsonValue(set.personal_num));
    QCOMPARE(inner.value("type_meter"), QJsonValue(9));
    QCOMPARE(inner.value("type_channel"), typeChannel);
    QCOMPARE(inner.value("telephones"), QJsonValue(set.telephones));
    QCOMPARE(inner.value("emails"), QJsonValue(set.emails));
    QCOMPARE(inner.value("telegram_chats"), QJsonValue(set.telegram_chats));
    QCOMPARE(inner.value("sms"), QJsonValue(true));
    QCOMPARE(inner.value("email"), QJsonValue(false));
    QCOMPARE(inner.value("telegram"), QJsonValue(true));
    QCOMPARE(inner.value("voice"), QJsonValue(false));
    QCOMPARE(inner.value("enable_danger"), QJsonValue(true));
    QCOMPARE(inner.value("message_sms"), QJsonValue(set.message_sms));
    QCOMPARE(inner.value("message_messenger"), QJsonValue(set.message_messenger));
    QCOMPARE(inner.value("voice_message"), QJsonValue(set.voice_message));
    QCOMPARE(inner.value("count_rate"), QJsonValue(3));
    QCOMPARE(inner.value("display_power_profile"), QJsonValue(false));
    QCOMPARE(inner.value("relay"), QJsonValue(true));
    QCOMPARE(inner.value("user_message_danger"), QJsonValue(true));
    QCOMPARE(inner.value("app_message_danger"), QJsonValue(false));
    if (waterMeter) {
        QCOMPARE(inner.value("water"), QJsonValue(2));
    } else {
        QCOMPARE(inner.value("model"), QJsonValue(set.model));
        QCOMPARE(inner.value("count_phase"), QJsonValue(3));
    }

    // The channel type is written as a whole number for the Betar meters.
    const QString innerText = outer.value(AppDataKey::otherInfo1).toString();
    QVERIFY2(innerText.contains(QStringLiteral("\"type_channel\":%1").arg(typeChannelText)),
             qPrintable(innerText));
    // The inner object travels as escaped text inside the message.
    QVERIFY(document.toJson(QJsonDocument::Compact).contains("\"other_info_1\":\"{\\\""));
}

void TestAppData::codesTravelAsText_data()
{
    QTest::addColumn<double>("deviceType");
    QTest::addColumn<double>("version");
    QTest::addColumn<double>("status");
    QTest::addColumn<QString>("deviceTypeText");
    QTest::addColumn<QString>("versionText");
    QTest::addColumn<QString>("statusText");
    QTest::newRow("whole codes") << 12.0 << 1.0 << 0.0 << "12"
                                 << "1"
                                 << "0";
    QTest::newRow("fractions") << 27.0 << 1.5 << 4.0 << "27"
                               << "1.5"
                               << "4";
    QTest::newRow("seven digits") << 1234567.0 << 2.0 << 1.0 << "1.23457e+06"
                                  << "2"
                                  << "1";
}

void TestAppData::codesTravelAsText()
{
    QFETCH(double, deviceType);
    QFETCH(double, version);
    QFETCH(double, status);
    QFETCH(QString, deviceTypeText);
    QFETCH(QString, versionText);
    QFETCH(QString, statusText);
    PulseSettings set = meterRecord(deviceType);
    set.version = version;
    set.status = status;
    const QJsonObject outer = buildPulseAppData(set, devEui, sn).object();
    QCOMPARE(outer.value(AppDataKey::deviceType), QJsonValue(deviceTypeText));
    QCOMPARE(outer.value(AppDataKey::version), QJsonValue(versionText));
    QCOMPARE(parseInner(outer).value(AppDataKey::status), QJsonValue(statusText));
    QVERIFY(parseInner(outer).value(AppDataKey::numChannel).isDouble());
    QVERIFY(parseInner(outer).value(AppDataKey::kt).isDouble());
}

void TestAppData::emptySerialNumberFillsIaAndSerial()
{
    const QJsonObject outer = buildPulseAppData(meterRecord(12), devEui, QString()).object();
    QCOMPARE(outer.value(AppDataKey::sn), QJsonValue(QString()));
    const QJsonObject inner = parseInner(outer);
    QCOMPARE(inner.value(AppDataKey::ia), QJsonValue(QString()));
    QCOMPARE(inner.value(AppDataKey::serial), QJsonValue(QString()));
}

void TestAppData::newPulseGroupGivesDocument()
{
    CPulseSettingsField group;
    const QJsonObject outer = buildPulseAppData(group.getSettings(), devEui, sn).object();
    QCOMPARE(outer.value(AppDataKey::deviceType), QJsonValue(QStringLiteral("12")));
    QCOMPARE(outer.value(AppDataKey::version), QJsonValue(QStringLiteral("0")));
    QCOMPARE(outer.value(AppDataKey::group), QJsonValue(QString()));
    const QJsonObject inner = parseInner(outer);
    QCOMPARE(inner.value(AppDataKey::typeChannel), QJsonValue(14));
    QCOMPARE(inner.value(AppDataKey::lastDate).toDouble(), 1604707200000.0);
    QCOMPARE(inner.value(AppDataKey::status), QJsonValue(QStringLiteral("1")));
    QCOMPARE(inner.value(AppDataKey::color), QJsonValue(1));
    QCOMPARE(inner.value(AppDataKey::ia), QJsonValue(sn));
}

RAVLO_REGISTER_TEST(TestAppData)
#include "tst_appdata.moc"
