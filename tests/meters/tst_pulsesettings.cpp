#include "common/TestRegistry.h"
#include "meters/CExtPulseSettingsField.h"
#include "meters/CPulseSettingsField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QtTest>

namespace {

template <typename T> T* child(QWidget& parent, const char* name)
{
    T* widget = parent.findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

void chooseDeviceType(CPulseSettingsField& group, int code)
{
    auto* combo = child<QComboBox>(group, "device_type");
    combo->setCurrentIndex(combo->findData(code));
}

// A record in which every field differs from the initial one.
CPulseSettingsField::SettStruct unusualRecord()
{
    CPulseSettingsField::SettStruct set;
    set.group = QStringLiteral("Корпус 2");
    set.version = 1;
    set.device_type = 27;
    set.address_level_1 = QStringLiteral("ул. Ленина, 1");
    set.name_level_1 = QStringLiteral("Склад");
    set.level_2 = QStringLiteral("Щитовая");
    set.name = QStringLiteral("Ввод 1");
    set.info_channel = QStringLiteral("комментарий");
    set.last_date = 1700000000123.0;
    set.calib_interval = 16;
    set.personal_num = QStringLiteral("4711");
    set.model = QStringLiteral("M-230");
    set.count_rate = 3;
    set.count_phase = 3;
    set.telephones = QStringLiteral("+70000000000");
    set.emails = QStringLiteral("a@b.c");
    set.telegram_chats = QStringLiteral("@chat");
    set.message_sms = QStringLiteral("sms");
    set.message_messenger = QStringLiteral("msg");
    set.voice_message = QStringLiteral("voice");
    set.ia = QStringLiteral("IA-1");
    set.serial = QStringLiteral("SER-1");
    set.sms = set.email = set.telegram = set.voice = set.enable_danger = true;
    set.display_power_profile = set.relay = false;
    set.type_meter = 12;
    set.status = 3;
    set.color = 11;
    set.user_message_danger = set.app_message_danger = true;
    set.water = 2;
    return set;
}

void compareRecords(const CPulseSettingsField::SettStruct& actual,
                    const CPulseSettingsField::SettStruct& expected)
{
#define COMPARE_FIELD(field) QCOMPARE(actual.field, expected.field)
    COMPARE_FIELD(group);
    COMPARE_FIELD(version);
    COMPARE_FIELD(device_type);
    COMPARE_FIELD(address_level_1);
    COMPARE_FIELD(name_level_1);
    COMPARE_FIELD(level_2);
    COMPARE_FIELD(name);
    COMPARE_FIELD(info_channel);
    COMPARE_FIELD(last_date);
    COMPARE_FIELD(calib_interval);
    COMPARE_FIELD(personal_num);
    COMPARE_FIELD(model);
    COMPARE_FIELD(count_rate);
    COMPARE_FIELD(count_phase);
    COMPARE_FIELD(telephones);
    COMPARE_FIELD(emails);
    COMPARE_FIELD(telegram_chats);
    COMPARE_FIELD(message_sms);
    COMPARE_FIELD(message_messenger);
    COMPARE_FIELD(voice_message);
    COMPARE_FIELD(ia);
    COMPARE_FIELD(serial);
    COMPARE_FIELD(sms);
    COMPARE_FIELD(email);
    COMPARE_FIELD(telegram);
    COMPARE_FIELD(voice);
    COMPARE_FIELD(enable_danger);
    COMPARE_FIELD(display_power_profile);
    COMPARE_FIELD(relay);
    COMPARE_FIELD(type_meter);
    COMPARE_FIELD(type_channel);
    COMPARE_FIELD(num_channel);
    COMPARE_FIELD(kt);
    COMPARE_FIELD(status);
    COMPARE_FIELD(color);
    COMPARE_FIELD(user_message_danger);
    COMPARE_FIELD(app_message_danger);
    COMPARE_FIELD(water);
    COMPARE_FIELD(ExtPulseSettings::enabled);
    COMPARE_FIELD(enabled);
#undef COMPARE_FIELD
}

const char* const typeDependentInputs[] = {
    "water", "count_phase", "count_rate", "type_meter", "display_power_profile", "relay", "serial", "ia"};

} // namespace

class TestPulseSettings : public QObject
{
    Q_OBJECT
signals:
    void recordReady(CPulseSettingsField::SettStruct record);

private slots:
    void newOuterGroupShowsDefaults();
    void itemsCarryTheirCodes_data();
    void itemsCarryTheirCodes();
    void deviceTypeRules_data();
    void deviceTypeRules();
    void relayStaysUncheckedAfterLeavingBetarSve();
    void codeOutsideListSelectsNothing();
    void fixedValuesAlwaysRead();
    void recordRoundTripKeepsCheckStates();
    void innerEditsReachOuterGroup();
    void recordsTravelQueued();
};

void TestPulseSettings::newOuterGroupShowsDefaults()
{
    CPulseSettingsField group;
    QCOMPARE(child<QComboBox>(group, "device_type")->currentData().toInt(), 12);
    // Collapsed groups report themselves not enabled.
    QVERIFY(!group.getSettings().enabled);
    QVERIFY(!child<CExtPulseSettingsField>(group, "extPulseSettings")->getSettings().enabled);
    QCOMPARE(child<QComboBox>(group, "version")->currentIndex(), 0);

    // The record's version starts at 2, but a new group shows its first item, code 0.
    CPulseSettingsField::SettStruct expected;
    expected.version = 0;
    compareRecords(group.getSettings(), expected);

    QCOMPARE(child<QDateTimeEdit>(group, "last_date")->dateTime(),
             QDateTime::fromMSecsSinceEpoch(1604707200000LL));
    QCOMPARE(child<QDateTimeEdit>(group, "last_date")->dateTime().toUTC(),
             QDateTime(QDate(2020, 11, 7), QTime(0, 0), Qt::UTC));
    QCOMPARE(child<QComboBox>(group, "type_meter")->currentText(), QStringLiteral("другой"));
    QCOMPARE(child<QComboBox>(group, "count_phase")->currentText(), QStringLiteral("Однофазный"));
    QCOMPARE(child<QComboBox>(group, "water")->currentText(), QStringLiteral("Горячая"));
    QCOMPARE(child<QComboBox>(group, "color")->currentIndex(), 0);
    // An unchecked group box disables all its editors; the type rules show once it is open.
    group.expandAll();
    for (const char* name : {"water", "serial", "ia"})
        QVERIFY2(!child<QWidget>(group, name)->isEnabled(), name);
    for (const char* name : {"count_phase", "count_rate", "type_meter", "display_power_profile", "relay"})
        QVERIFY2(child<QWidget>(group, name)->isEnabled(), name);
}

void TestPulseSettings::itemsCarryTheirCodes_data()
{
    QTest::addColumn<QString>("combo");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("codes");
    QTest::newRow("version") << "version" << QStringList{"младше 1.0", "1.0", "1.1 и старше"}
                             << QList<int>{0, 1, 2};
    QTest::newRow("device type") << "device_type"
                                 << QStringList{"ЦЭ 2726А, ЦЭ 2727А, Меркурий 206...",
                                                "Меркурий 203.2TD, Меркурий 204, Меркурий 208...", "СпбЗИП",
                                                "Бетар СВЭ", "Бетар СГБМ"}
                                 << QList<int>{12, 27, 24, 9, 17};
    QTest::newRow("display as") << "type_meter"
                                << QStringList{"другой",
                                               "ЦЭ 2726А",
                                               "ЦЭ 2727А",
                                               "Меркурий 206",
                                               "Меркурий 200.02",
                                               "Топаз 104/105",
                                               "Меркурий 206 (Инкотекс)",
                                               "Меркурий 203.2TD",
                                               "Меркурий 204",
                                               "Меркурий 208",
                                               "Меркурий 230",
                                               "Меркурий 231",
                                               "Меркурий 233",
                                               "Меркурий 234",
                                               "Меркурий 236",
                                               "Меркурий 238"}
                                << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    QTest::newRow("phases") << "count_phase" << QStringList{"Однофазный", "Трехфазный"} << QList<int>{1, 3};
    QTest::newRow("water") << "water" << QStringList{"Горячая", "Холодная"} << QList<int>{1, 2};
    QTest::newRow("status") << "status"
                            << QStringList{"В эксплуатации", "Не активно", "На ремонте", "Тестируется"}
                            << QList<int>{1, 2, 3, 4};
    QTest::newRow("colour") << "color" << QStringList(QVector<QString>(11).toList())
                            << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
}

void TestPulseSettings::itemsCarryTheirCodes()
{
    QFETCH(QString, combo);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, codes);
    CPulseSettingsField group;
    auto* box = child<QComboBox>(group, combo.toLatin1().constData());
    QStringList actualTexts;
    QList<int> actualCodes;
    for (int i = 0; i < box->count(); ++i) {
        actualTexts << box->itemText(i);
        actualCodes << box->itemData(i).toInt();
    }
    QCOMPARE(actualTexts, texts);
    QCOMPARE(actualCodes, codes);
}

void TestPulseSettings::deviceTypeRules_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("enabledInputs");
    QTest::addColumn<int>("rates");
    QTest::addColumn<bool>("relayChecked");
    const QStringList meter{"count_phase", "count_rate", "type_meter", "display_power_profile", "relay"};
    QTest::newRow("12") << 12 << meter << 2 << true;
    QTest::newRow("27") << 27 << meter << 2 << true;
    QTest::newRow("24 SpbZIP") << 24
                               << QStringList{"count_phase", "display_power_profile", "relay", "serial", "ia"}
                               << 4 << true;
    QTest::newRow("9 Betar SVE") << 9 << QStringList{"water"} << 2 << false;
    QTest::newRow("17 Betar SGBM") << 17 << QStringList() << 2 << true;
}

void TestPulseSettings::deviceTypeRules()
{
    QFETCH(int, type);
    QFETCH(QStringList, enabledInputs);
    QFETCH(int, rates);
    QFETCH(bool, relayChecked);
    CPulseSettingsField group;
    group.expandAll();
    child<QSpinBox>(group, "count_rate")->setValue(2);
    chooseDeviceType(group, type);

    for (const char* name : typeDependentInputs)
        QCOMPARE(child<QWidget>(group, name)->isEnabled(), enabledInputs.contains(QLatin1String(name)));
    for (const char* name :
         {"address_level_1", "model", "last_date", "calib_interval", "sms", "status", "color"})
        QVERIFY2(child<QWidget>(group, name)->isEnabled(), name);
    QCOMPARE(child<QSpinBox>(group, "count_rate")->value(), rates);
    QCOMPARE(child<QCheckBox>(group, "relay")->isChecked(), relayChecked);
    QCOMPARE(group.getSettings().device_type, double(type));
    QCOMPARE(group.getSettings().count_rate, double(rates));
}

void TestPulseSettings::relayStaysUncheckedAfterLeavingBetarSve()
{
    CPulseSettingsField group;
    group.expandAll();
    chooseDeviceType(group, 9);
    QVERIFY(!child<QCheckBox>(group, "relay")->isChecked());
    chooseDeviceType(group, 12);
    QVERIFY(child<QCheckBox>(group, "relay")->isEnabled());
    QVERIFY(!child<QCheckBox>(group, "relay")->isChecked());
    QVERIFY(!child<QComboBox>(group, "water")->isEnabled());
    QVERIFY(!group.getSettings().relay);
}

void TestPulseSettings::codeOutsideListSelectsNothing()
{
    CPulseSettingsField group;
    group.expandAll();
    CPulseSettingsField::SettStruct record = unusualRecord();
    record.status = 7;
    record.color = 12;
    record.device_type = 99;
    group.settSettings(record);

    QCOMPARE(child<QComboBox>(group, "status")->currentIndex(), -1);
    QCOMPARE(child<QComboBox>(group, "color")->currentIndex(), -1);
    QCOMPARE(child<QComboBox>(group, "device_type")->currentIndex(), -1);
    const CPulseSettingsField::SettStruct read = group.getSettings();
    QCOMPARE(read.status, 0.0);
    QCOMPARE(read.color, 0);
    QCOMPARE(read.device_type, 0.0);
    // An unknown device type leaves every type-dependent input disabled.
    for (const char* name : typeDependentInputs)
        QVERIFY2(!child<QWidget>(group, name)->isEnabled(), name);
}

void TestPulseSettings::fixedValuesAlwaysRead()
{
    CPulseSettingsField group;
    CPulseSettingsField::SettStruct record = unusualRecord();
    record.type_channel = 3;
    record.num_channel = 5;
    record.kt = 7;
    group.settSettings(record);
    const CPulseSettingsField::SettStruct read = group.getSettings();
    QCOMPARE(read.type_channel, 14.0);
    QCOMPARE(read.num_channel, 1.0);
    QCOMPARE(read.kt, 1.0);
}

void TestPulseSettings::recordRoundTripKeepsCheckStates()
{
    CPulseSettingsField group;
    CPulseSettingsField::SettStruct record = unusualRecord();
    record.enabled = true;
    record.ExtPulseSettings::enabled = true;
    group.settSettings(record);

    CPulseSettingsField::SettStruct expected = unusualRecord();
    compareRecords(group.getSettings(), expected);

    group.expand();
    expected.enabled = true;
    compareRecords(group.getSettings(), expected);
    group.expandAll();
    expected.ExtPulseSettings::enabled = true;
    compareRecords(group.getSettings(), expected);

    // Loading the initial record into the inner group restores its editors, not its state.
    child<CExtPulseSettingsField>(group, "extPulseSettings")->setDefaultSettings();
    CPulseSettingsField::SettStruct initial;
    static_cast<PulseDeviceSettings&>(initial) = expected;
    initial.enabled = true;
    initial.ExtPulseSettings::enabled = true;
    compareRecords(group.getSettings(), initial);
}

void TestPulseSettings::innerEditsReachOuterGroup()
{
    CPulseSettingsField group;
    group.expandAll();
    group.show();
    QSignalSpy edited(&group, &CAbstatractSettingsField::edited);
    QTest::keyClicks(child<QLineEdit>(group, "model"), QStringLiteral("X"));
    QCOMPARE(edited.count(), 1);
    QTest::keyClick(child<QCheckBox>(group, "sms"), Qt::Key_Space);
    QCOMPARE(edited.count(), 2);
    QTest::keyClicks(child<QLineEdit>(group, "group"), QStringLiteral("G"));
    QCOMPARE(edited.count(), 3);
}

void TestPulseSettings::recordsTravelQueued()
{
    CPulseSettingsField group;
    QVERIFY(QMetaType::type("CPulseSettingsField::SettStruct") ==
            qMetaTypeId<CPulseSettingsField::SettStruct>());
    QVERIFY(QMetaType::type("CExtPulseSettingsField::SettStruct") ==
            qMetaTypeId<CExtPulseSettingsField::SettStruct>());

    connect(this, &TestPulseSettings::recordReady, &group, &CPulseSettingsField::settSettings,
            Qt::QueuedConnection);
    emit recordReady(unusualRecord());
    QTRY_COMPARE(group.getSettings().model, QStringLiteral("M-230"));
    compareRecords(group.getSettings(), unusualRecord());

    const QVariant carried = QVariant::fromValue(unusualRecord());
    compareRecords(carried.value<CPulseSettingsField::SettStruct>(), unusualRecord());
}

RAVLO_REGISTER_TEST(TestPulseSettings)
#include "tst_pulsesettings.moc"
