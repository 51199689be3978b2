#include "common/TestRegistry.h"
#include "registration/LoRaPresetJson.h"

#include <QJsonDocument>
#include <QtTest>

namespace {

CExpertSettingsField::SettStruct sampleExpert()
{
    CExpertSettingsField::SettStruct expert;
    expert.enabled = true;
    expert.adr = {true, false, 3, 11};
    expert.rx = {true, 2, 1, 4, 6};
    expert.location = {false, 145, double(137.62f), double(55.75f)};
    return expert;
}

COptionalSettingsField::SettStruct sampleOptional()
{
    COptionalSettingsField::SettStruct optional;
    optional.device = {QStringLiteral("%deveui"), QStringLiteral("CLASS_C"), true};
    optional.classC = {4321, true, true};
    optional.freqPlan.plan = QStringLiteral("custom");
    optional.freqPlan.freq4 = 868100000;
    optional.freqPlan.freq5 = 868300000;
    optional.freqPlan.freq6 = 868500000;
    optional.freqPlan.freq7 = 868700000;
    optional.freqPlan.freq8 = 868900000;
    optional.freqPlan.freqRx2 = 869525000;
    optional.freqPlan.channelEn = {true, true, true, false, true, false, true, true};
    optional.enabled = true;
    return optional;
}

QJsonArray parseArray(const char* text)
{
    return QJsonDocument::fromJson(text).array();
}

} // namespace

class TestLoRaPresetJson : public QObject
{
    Q_OBJECT
private slots:
    void storedTextThatIsNotAnArrayReadsEmpty_data();
    void storedTextThatIsNotAnArrayReadsEmpty();
    void elementHoldsTheStoredLayout();
    void readingAnElementGivesBackItsValues();
    void missingKeysReadAsZeroAndKeepUnstoredValues();
    void namesAreListedOnceAndTheLastMatchCounts();
    void firstDifferenceFollowsTheFixedOrder();
};

void TestLoRaPresetJson::storedTextThatIsNotAnArrayReadsEmpty_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("elements");
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("object") << QStringLiteral("{\"preset\":\"P1\"}") << 0;
    QTest::newRow("garbage") << QStringLiteral("[{\"preset\":") << 0;
    QTest::newRow("null") << QStringLiteral("null") << 0;
    QTest::newRow("array") << QStringLiteral("[{\"preset\":\"P1\"},7]") << 2;
}

void TestLoRaPresetJson::storedTextThatIsNotAnArrayReadsEmpty()
{
    QFETCH(QString, stored);
    QFETCH(int, elements);
    QCOMPARE(LoRaPresetJson::readStored(stored).size(), elements);
}

void TestLoRaPresetJson::elementHoldsTheStoredLayout()
{
    const QJsonObject element =
        LoRaPresetJson::makeElement(QStringLiteral("P1"), sampleExpert(), sampleOptional());
    QCOMPARE(element.keys(), (QStringList{QStringLiteral("preset"), QStringLiteral("settings")}));
    QCOMPARE(element.value("preset").toString(), QStringLiteral("P1"));
    const QJsonObject settings = element.value("settings").toObject();
    QCOMPARE(settings.keys(), (QStringList{"adaptiveDataRate", "device", "freqPlan", "position",
                                           "rxDeviceSettings", "serverAdrEnable"}));
    QCOMPARE(settings.value("serverAdrEnable").toBool(), false);
    QCOMPARE(settings.value("adaptiveDataRate").toObject().value("preferPower").toInt(), 11);
    QCOMPARE(settings.value("rxDeviceSettings").toObject().value("delayJoin1").toInt(), 6);
    QCOMPARE(settings.value("position").toObject().value("longitude").toDouble(), double(137.62f));
    QCOMPARE(settings.value("device").toObject().value("devName").toString(), QStringLiteral("P1_%deveui"));
    QCOMPARE(settings.value("device").toObject().value("class").toString(), QStringLiteral("CLASS_C"));
    const QJsonObject plan = settings.value("freqPlan").toObject();
    QCOMPARE(plan.value("freqPlan").toString(), QStringLiteral("custom"));
    QCOMPARE(plan.value("freq8").toInt(), 868900000);
    QCOMPARE(plan.value("channel4En").toBool(), false);
    QCOMPARE(plan.value("channel8En").toBool(), true);
    // Enabled states and class C values are not part of a preset.
    QVERIFY(!QJsonDocument(element).toJson().contains("4321"));
    QVERIFY(!QJsonDocument(element).toJson().contains("enabled"));

    // Stored compactly and read back unchanged.
    const QString text = LoRaPresetJson::toStoredText(QJsonArray{element});
    QVERIFY(!text.contains(QLatin1Char('\n')));
    QCOMPARE(LoRaPresetJson::readStored(text).at(0).toObject(), element);
}

void TestLoRaPresetJson::readingAnElementGivesBackItsValues()
{
    const QJsonObject settings =
        LoRaPresetJson::makeElement(QStringLiteral("P1"), sampleExpert(), sampleOptional())
            .value("settings")
            .toObject();
    CExpertSettingsField::SettStruct expert;
    COptionalSettingsField::SettStruct optional;
    LoRaPresetJson::readExpert(settings, &expert);
    LoRaPresetJson::readOptional(settings, &optional);

    QCOMPARE(expert.adr.serverAdrEnable, false);
    QCOMPARE(expert.adr.preferDr, 3);
    QCOMPARE(expert.rx.delayRx1, 2);
    QCOMPARE(expert.rx.rxWindow, 1);
    QCOMPARE(expert.rx.drRx2, 4);
    QCOMPARE(expert.location.altitude, 145);
    QCOMPARE(expert.location.latitude, double(55.75f));
    QCOMPARE(optional.device.nameTemplate, QStringLiteral("P1_%deveui"));
    QCOMPARE(optional.freqPlan.freq6, 868500000);
    QCOMPARE(optional.freqPlan.channelEn, sampleOptional().freqPlan.channelEn);
    QVERIFY(!LoRaPresetJson::expertDifference(sampleExpert(), settings).found());
}

void TestLoRaPresetJson::missingKeysReadAsZeroAndKeepUnstoredValues()
{
    CExpertSettingsField::SettStruct expert = sampleExpert();
    COptionalSettingsField::SettStruct optional = sampleOptional();
    LoRaPresetJson::readExpert(QJsonObject(), &expert);
    LoRaPresetJson::readOptional(QJsonObject(), &optional);
    QCOMPARE(expert.adr.preferPower, 0);
    QCOMPARE(expert.rx.delayJoin1, 0);
    QCOMPARE(expert.location.longitude, 0.0);
    QCOMPARE(optional.device.nameTemplate, QString());
    QCOMPARE(optional.freqPlan.freqRx2, 0);
    QCOMPARE(optional.freqPlan.channelEn[0], false);
    QVERIFY(expert.enabled && expert.adr.enabled && optional.device.enabled);
    QCOMPARE(optional.classC.reactionTime, 4321);
    QCOMPARE(optional.classC.useDownlinkQueue, true);
}

void TestLoRaPresetJson::namesAreListedOnceAndTheLastMatchCounts()
{
    const QJsonArray presets = parseArray(R"([{"preset":"A","settings":{"serverAdrEnable":false}},
        {"preset":""}, 5, {"preset":"B"}, {"preset":"A","settings":{"serverAdrEnable":true}}])");
    QCOMPARE(LoRaPresetJson::presetNames(presets), (QStringList{"A", "B"}));
    QCOMPARE(LoRaPresetJson::lastIndexOf(presets, "A"), 4);
    QCOMPARE(LoRaPresetJson::lastIndexOf(presets, "a"), -1);
    QCOMPARE(LoRaPresetJson::lastSettingsOf(presets, "A").value("serverAdrEnable").toBool(), true);
    QVERIFY(LoRaPresetJson::lastSettingsOf(presets, "C").isEmpty());
}

void TestLoRaPresetJson::firstDifferenceFollowsTheFixedOrder()
{
    const QJsonObject saved =
        LoRaPresetJson::makeElement(QStringLiteral("P1"), sampleExpert(), sampleOptional())
            .value("settings")
            .toObject();

    CExpertSettingsField::SettStruct expert = sampleExpert();
    expert.location.latitude = 12.0;
    QCOMPARE(LoRaPresetJson::expertDifference(expert, saved).tag, QStringLiteral("latitude"));
    expert.rx.rxWindow = 2;
    QCOMPARE(LoRaPresetJson::expertDifference(expert, saved).tag, QStringLiteral("rxWindow"));
    expert.adr.preferPower = 14;
    const LoRaPresetJson::Difference power = LoRaPresetJson::expertDifference(expert, saved);
    QCOMPARE(power.tag, QStringLiteral("preferPower"));
    QCOMPARE(power.current.toInt(), 14);
    QCOMPARE(power.saved.toInt(), 11);

    COptionalSettingsField::SettStruct optional = sampleOptional();
    optional.device.nameTemplate = QStringLiteral("P1_%deveui");
    QVERIFY(!LoRaPresetJson::optionalDifference(optional, saved).found());
    optional.freqPlan.plan = QStringLiteral("RU868");
    QCOMPARE(LoRaPresetJson::optionalDifference(optional, saved).tag, QStringLiteral("freq pan edited"));
    optional.freqPlan.channelEn[4] = false;
    QCOMPARE(LoRaPresetJson::optionalDifference(optional, saved).tag, QStringLiteral("mask5 edited"));
    optional.freqPlan.freq6 = 1;
    QCOMPARE(LoRaPresetJson::optionalDifference(optional, saved).tag, QStringLiteral("freq3 edited"));
    optional.device.nameTemplate = QStringLiteral("%deveui");
    QCOMPARE(LoRaPresetJson::optionalDifference(optional, saved).tag, QStringLiteral("devName edited"));
    optional.device.devClass = QStringLiteral("CLASS_A");
    QCOMPARE(LoRaPresetJson::optionalDifference(optional, saved).tag, QStringLiteral("devClass  edited"));
}

RAVLO_REGISTER_TEST(TestLoRaPresetJson)
#include "tst_presetjson.moc"
