#include "common/TestRegistry.h"
#include "registration/LoRaPresetJson.h"

#include <QJsonDocument>
#include <QtTest>

namespace {

CExpertSettingsField::SettStruct sampleExpert()
{
    CExpertSettingsField::SettStruct expert;
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
    optional.freqPlan.freq8 = 868900000;
    optional.freqPlan.channelEn = {true, true, true, false, true, false, true, true};
    return optional;
}

QJsonObject sampleSettings()
{
    return LoRaPresetJson::makeElement(QStringLiteral("P1"), sampleExpert(), sampleOptional())
        .value("settings")
        .toObject();
}

} // namespace

class TestLoRaPresetJson : public QObject
{
    Q_OBJECT
private slots:
    void elementHoldsTheStoredLayout();
    void missingKeysReadAsZeroAndKeepUnstoredValues();
    void firstDifferenceFollowsTheFixedOrder();
};

void TestLoRaPresetJson::elementHoldsTheStoredLayout()
{
    const QJsonObject element =
        LoRaPresetJson::makeElement(QStringLiteral("P1"), sampleExpert(), sampleOptional());
    const QString text = LoRaPresetJson::toStoredText(QJsonArray{element});
    QCOMPARE(text,
             QStringLiteral(
                 R"([{"preset":"P1","settings":{"adaptiveDataRate":{"preferDr":3,"preferPower":11},)"
                 R"("device":{"class":"CLASS_C","devName":"P1_%deveui"},"freqPlan":{"channel1En":true,)"
                 R"("channel2En":true,"channel3En":true,"channel4En":false,"channel5En":true,)"
                 R"("channel6En":false,"channel7En":true,"channel8En":true,"freq4":0,"freq5":0,"freq6":0,)"
                 R"("freq7":0,"freq8":868900000,"freqPlan":"custom","freqRx2":0},"position":{"altitude":145,)"
                 R"("latitude":55.75,"longitude":137.6199951171875},"rxDeviceSettings":{"delayJoin1":6,)"
                 R"("delayRx1":2,"drRx2":4,"rxWindow":1},"serverAdrEnable":false}}])"));
    QCOMPARE(LoRaPresetJson::readStored(text).at(0).toObject(), element);
}

void TestLoRaPresetJson::missingKeysReadAsZeroAndKeepUnstoredValues()
{
    CExpertSettingsField::SettStruct expert = sampleExpert();
    COptionalSettingsField::SettStruct optional = sampleOptional();
    LoRaPresetJson::readExpert(QJsonObject(), &expert);
    LoRaPresetJson::readOptional(QJsonObject(), &optional);
    QCOMPARE(expert.adr.preferPower, 0);
    QCOMPARE(expert.location.longitude, 0.0);
    QCOMPARE(optional.device.nameTemplate, QString());
    QCOMPARE(optional.freqPlan.channelEn[0], false);
    // Enabled states and class C values are not part of a preset.
    QVERIFY(expert.adr.enabled && optional.device.enabled);
    QCOMPARE(optional.classC.reactionTime, 4321);
}

void TestLoRaPresetJson::firstDifferenceFollowsTheFixedOrder()
{
    const QJsonObject saved = sampleSettings();
    CExpertSettingsField::SettStruct expert = sampleExpert();
    QVERIFY(!LoRaPresetJson::expertDifference(expert, saved).found());
    expert.location.latitude = 12.0;
    QCOMPARE(LoRaPresetJson::expertDifference(expert, saved).tag, QStringLiteral("latitude"));
    expert.rx.rxWindow = 2;
    QCOMPARE(LoRaPresetJson::expertDifference(expert, saved).tag, QStringLiteral("rxWindow"));
    expert.adr.preferPower = 14;
    const LoRaPresetJson::Difference power = LoRaPresetJson::expertDifference(expert, saved);
    QCOMPARE(power.tag, QStringLiteral("preferPower"));
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
    optional.device.devClass = QStringLiteral("CLASS_A");
    QCOMPARE(LoRaPresetJson::optionalDifference(optional, saved).tag, QStringLiteral("devClass  edited"));
}

RAVLO_REGISTER_TEST(TestLoRaPresetJson)
#include "tst_presetjson.moc"
