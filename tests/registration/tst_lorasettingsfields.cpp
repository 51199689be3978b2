#include "SettingsFieldTestHelpers.h"
#include "common/TestRegistry.h"
#include "registration/CExpertSettingsField.h"
#include "registration/COptionalSettingsField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTranslator>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

// Both top-level groups in one shown window, as on the registration page.
struct Page
{
    Page()
    {
        auto* layout = new QVBoxLayout(&window);
        expert = new CExpertSettingsField;
        optional = new COptionalSettingsField;
        layout->addWidget(expert);
        layout->addWidget(optional);
        window.show();
    }
    template <typename T> T* find(const char* name) const
    {
        return window.findChild<T*>(QLatin1String(name));
    }
    QWidget window;
    CExpertSettingsField* expert = nullptr;
    COptionalSettingsField* optional = nullptr;
};

QStringList frequencyTexts(const Page& page)
{
    QStringList texts;
    for (const char* name : {"freqEdit4", "freqEdit5", "freqEdit6", "freqEdit7", "freqEdit8", "freqRx2Edit"})
        texts << page.find<QLineEdit>(name)->text();
    return texts;
}

bool frequencyEditsEnabled(const Page& page)
{
    for (const char* name :
         {"freqEdit4", "freqEdit5", "freqEdit6", "freqEdit7", "freqEdit8", "freqRx2Edit"}) {
        if (!page.find<QLineEdit>(name)->isEnabled())
            return false;
    }
    return true;
}

const QStringList ru868 = {QStringLiteral("864100000"), QStringLiteral("864300000"),
                           QStringLiteral("864500000"), QStringLiteral("864700000"),
                           QStringLiteral("864900000"), QStringLiteral("869100000")};
const QStringList eu868 = {QStringLiteral("867100000"), QStringLiteral("867300000"),
                           QStringLiteral("867500000"), QStringLiteral("867700000"),
                           QStringLiteral("867900000"), QStringLiteral("869525000")};

} // namespace

class TestLoRaSettingsFields : public QObject
{
    Q_OBJECT
private slots:
    void neverExpandedGroupsReportDefaultsNotEnabled();
    void gettersFollowOperatorEdits();
    void coordinateEditsAcceptOnlyTheirRange_data();
    void coordinateEditsAcceptOnlyTheirRange();
    void valuesOutsideTheListsLeaveNoCurrentItem();
    void customPlanKeepsValuesNamedPlanOverwrites();
    void writtenPlanDecidesWhetherFrequenciesStay();
    void classCGroupFollowsOnlyTheOperatorsChoice();
    void collapsedTopLevelGroupTakesItsGroupsOutOfUse();
    void englishCatalogueNamesTheLocationEdits();
};

void TestLoRaSettingsFields::neverExpandedGroupsReportDefaultsNotEnabled()
{
    Page page;
    const CExpertSettingsField::SettStruct expert = page.expert->getSettings();
    QVERIFY(!expert.enabled && !expert.adr.enabled && !expert.rx.enabled && !expert.location.enabled);
    QCOMPARE(expert.rx.delayJoin1, 5);
    const COptionalSettingsField::SettStruct optional = page.optional->getSettings();
    QVERIFY(!optional.enabled && !optional.device.enabled && !optional.classC.enabled &&
            !optional.freqPlan.enabled);
    QCOMPARE(optional.freqPlan.plan, QStringLiteral("RU868"));
    QCOMPARE(frequencyTexts(page), ru868);
    QVERIFY(!frequencyEditsEnabled(page));
}

void TestLoRaSettingsFields::gettersFollowOperatorEdits()
{
    Page page;
    QVERIFY(QTest::qWaitForWindowExposed(&page.window));
    QSignalSpy expertEdits(page.expert, &CAbstatractSettingsField::edited);
    QSignalSpy optionalEdits(page.optional, &CAbstatractSettingsField::edited);

    clickHeaderBox(page.expert);
    clickHeaderBox(page.expert->adaptiveDrField());
    clickHeaderBox(page.expert->locationField());
    clickCheckBox(page.find<QCheckBox>("serverAdrBox"));
    chooseItem(page.find<QComboBox>("preferDrBox"), QStringLiteral("DR2"));
    chooseItem(page.find<QComboBox>("preferPowerBox"), QStringLiteral("5 dBm"));
    QTest::keyClicks(page.find<QLineEdit>("latitudeEdit"), QStringLiteral("55.75"));
    QTest::keyClicks(page.find<QLineEdit>("longitudeEdit"), QStringLiteral("137.62"));
    QTest::keyClicks(page.find<QLineEdit>("altitudeEdit"), QStringLiteral("156"));

    const CExpertSettingsField::SettStruct expert = page.expert->getSettings();
    QVERIFY(expert.enabled);
    QVERIFY(expert.adr.enabled && !expert.rx.enabled && expert.location.enabled);
    QCOMPARE(expert.adr.serverAdrEnable, false);
    QCOMPARE(expert.adr.preferDr, 2);
    QCOMPARE(expert.adr.preferPower, 5);
    // The RX group stays collapsed: its defaults are read, but it is not enabled.
    QCOMPARE(expert.rx.rxWindow, 1);
    QCOMPARE(expert.location.latitude, double(55.75f));
    QCOMPARE(expert.location.longitude, double(137.62f));
    QCOMPARE(expert.location.altitude, 156);
    QVERIFY(expertEdits.count() >= 6);

    page.optional->expandAll();
    QLineEdit* name = page.find<QLineEdit>("nameTemplateEdit");
    name->selectAll();
    QTest::keyClicks(name, QStringLiteral("m_%sn"));
    chooseItem(page.find<QComboBox>("deviceClassBox"), QStringLiteral("Class C"));
    QLineEdit* reaction = page.find<QLineEdit>("reactionTimeEdit");
    reaction->selectAll();
    QTest::keyClick(reaction, Qt::Key_Backspace);
    clickCheckBox(page.find<QCheckBox>("channelBox3"));

    const COptionalSettingsField::SettStruct optional = page.optional->getSettings();
    QVERIFY(optional.enabled && optional.device.enabled && optional.classC.enabled &&
            optional.freqPlan.enabled);
    QCOMPARE(optional.device.nameTemplate, QStringLiteral("m_%sn"));
    QCOMPARE(optional.device.devClass, QStringLiteral("CLASS_C"));
    QCOMPARE(optional.classC.reactionTime, 0);
    QCOMPARE(optional.freqPlan.channelEn[2], false);
    QCOMPARE(optional.freqPlan.channelEn[3], true);
    QVERIFY(optionalEdits.count() >= 4);
}

void TestLoRaSettingsFields::coordinateEditsAcceptOnlyTheirRange_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("longitude east of 99.99") << "longitudeEdit"
                                             << "137.62"
                                             << "137.62";
    QTest::newRow("longitude 180.00") << "longitudeEdit"
                                      << "180.00"
                                      << "180.00";
    QTest::newRow("longitude above 180") << "longitudeEdit"
                                         << "180.5"
                                         << "180.";
    QTest::newRow("longitude 181") << "longitudeEdit"
                                   << "181"
                                   << "18";
    QTest::newRow("longitude 200") << "longitudeEdit"
                                   << "200"
                                   << "20";
    QTest::newRow("longitude four digits") << "longitudeEdit"
                                           << "1234"
                                           << "123";
    QTest::newRow("longitude three decimals") << "longitudeEdit"
                                              << "37.125"
                                              << "37.12";
    QTest::newRow("longitude sign") << "longitudeEdit"
                                    << "-37"
                                    << "37";
    QTest::newRow("latitude keeps two digits") << "latitudeEdit"
                                               << "123.4"
                                               << "12.4";
    QTest::newRow("latitude 55.75") << "latitudeEdit"
                                    << "55.75"
                                    << "55.75";
    QTest::newRow("altitude nine digits") << "altitudeEdit"
                                          << "1234567890"
                                          << "123456789";
    QTest::newRow("altitude letters") << "altitudeEdit"
                                      << "12a"
                                      << "12";
}

void TestLoRaSettingsFields::coordinateEditsAcceptOnlyTheirRange()
{
    QFETCH(QString, edit);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    CLocationSettingsField location;
    location.expand();
    auto* lineEdit = location.findChild<QLineEdit*>(edit);
    QTest::keyClicks(lineEdit, typed);
    QCOMPARE(lineEdit->text(), shown);
}

void TestLoRaSettingsFields::valuesOutsideTheListsLeaveNoCurrentItem()
{
    Page page;
    CExpertSettingsField::SettStruct expert = page.expert->getSettings();
    expert.rx.rxWindow = 7;
    expert.adr.preferPower = 13;
    page.expert->setSettings(expert);
    QCOMPARE(page.find<QComboBox>("rxWindowBox")->currentIndex(), -1);
    QCOMPARE(page.find<QComboBox>("preferPowerBox")->currentIndex(), -1);
    QCOMPARE(page.expert->getSettings().rx.rxWindow, 0);
    QCOMPARE(page.expert->getSettings().adr.preferPower, 0);
    QCOMPARE(page.expert->getSettings().rx.delayJoin1, 5);

    COptionalSettingsField::SettStruct optional = page.optional->getSettings();
    optional.device.devClass = QStringLiteral("class_c");
    optional.freqPlan.plan = QStringLiteral("AS923");
    page.optional->setSettings(optional);
    QCOMPARE(page.find<QComboBox>("deviceClassBox")->currentIndex(), -1);
    QCOMPARE(page.optional->getSettings().device.devClass, QString());
    QCOMPARE(page.find<QComboBox>("planBox")->currentIndex(), -1);
    QCOMPARE(page.optional->getSettings().freqPlan.plan, QString());
    QCOMPARE(frequencyTexts(page), ru868);
}

void TestLoRaSettingsFields::customPlanKeepsValuesNamedPlanOverwrites()
{
    Page page;
    page.optional->expandAll();
    QComboBox* plan = page.find<QComboBox>("planBox");
    QSignalSpy edits(page.optional, &CAbstatractSettingsField::edited);

    chooseItem(plan, QStringLiteral("custom"));
    QCOMPARE(frequencyTexts(page), ru868);
    QVERIFY(frequencyEditsEnabled(page));
    QVERIFY(!edits.isEmpty());

    QLineEdit* freq5 = page.find<QLineEdit>("freqEdit5");
    freq5->selectAll();
    QTest::keyClicks(freq5, QStringLiteral("868800000"));
    QCOMPARE(page.optional->getSettings().freqPlan.freq5, 868800000);
    QCOMPARE(page.optional->getSettings().freqPlan.plan, QStringLiteral("custom"));

    chooseItem(plan, QStringLiteral("EU868"));
    QCOMPARE(frequencyTexts(page), eu868);
    QVERIFY(!frequencyEditsEnabled(page));
    QCOMPARE(page.optional->getSettings().freqPlan.freqRx2, 869525000);
}

void TestLoRaSettingsFields::writtenPlanDecidesWhetherFrequenciesStay()
{
    Page page;
    page.optional->expandAll();
    COptionalSettingsField::SettStruct preset = page.optional->getSettings();
    preset.freqPlan.freq4 = 111;
    preset.freqPlan.channelEn.fill(false);

    // Same plan as shown: the written frequencies stay.
    page.optional->setSettings(preset);
    QCOMPARE(page.optional->getSettings().freqPlan.freq4, 111);

    // Another plan: its defaults replace them; the channel flags stay as written.
    preset.freqPlan.plan = QStringLiteral("EU868");
    page.optional->setSettings(preset);
    QCOMPARE(frequencyTexts(page), eu868);
    QCOMPARE(page.optional->getSettings().freqPlan.channelEn[0], false);

    preset.freqPlan.plan = QStringLiteral("custom");
    page.optional->setSettings(preset);
    QCOMPARE(page.optional->getSettings().freqPlan.freq4, 111);
    QVERIFY(frequencyEditsEnabled(page));
}

void TestLoRaSettingsFields::classCGroupFollowsOnlyTheOperatorsChoice()
{
    Page page;
    QVERIFY(QTest::qWaitForWindowExposed(&page.window));
    page.optional->expandAll();
    CSettingsClassCDeviceField* classC = page.optional->classCField();
    QComboBox* deviceClass = page.find<QComboBox>("deviceClassBox");
    QVERIFY(!classC->isVisible());

    chooseItem(deviceClass, QStringLiteral("Class C"));
    QVERIFY(classC->isVisible());
    QLineEdit* reaction = page.find<QLineEdit>("reactionTimeEdit");
    reaction->selectAll();
    QTest::keyClicks(reaction, QStringLiteral("2500"));

    chooseItem(deviceClass, QStringLiteral("Class A"));
    QVERIFY(!classC->isVisible());
    QCOMPARE(page.optional->getSettings().classC.reactionTime, 2500);

    // Writing settings selects the class but never shows or hides the group.
    COptionalSettingsField::SettStruct written = page.optional->getSettings();
    written.device.devClass = QStringLiteral("CLASS_C");
    page.optional->setSettings(written);
    QCOMPARE(deviceClass->currentText(), QStringLiteral("Class C"));
    QVERIFY(!classC->isVisible());

    chooseItem(deviceClass, QStringLiteral("Class A"));
    chooseItem(deviceClass, QStringLiteral("Class C"));
    QVERIFY(classC->isVisible());
    written.device.devClass = QStringLiteral("CLASS_A");
    page.optional->setSettings(written);
    QVERIFY(classC->isVisible());
}

void TestLoRaSettingsFields::collapsedTopLevelGroupTakesItsGroupsOutOfUse()
{
    Page page;
    QVERIFY(QTest::qWaitForWindowExposed(&page.window));
    page.expert->expandAll();
    QVERIFY(page.expert->getSettings().rx.enabled);

    clickGroupBoxCheck(page.expert);
    const CExpertSettingsField::SettStruct collapsed = page.expert->getSettings();
    QVERIFY(!collapsed.enabled && !collapsed.adr.enabled && !collapsed.rx.enabled &&
            !collapsed.location.enabled);

    clickHeaderBox(page.expert);
    QVERIFY(page.expert->getSettings().rx.enabled);
}

void TestLoRaSettingsFields::englishCatalogueNamesTheLocationEdits()
{
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/Translations/ravlo_en.qm")));
    QCoreApplication::installTranslator(&english);
    CLocationSettingsField location;
    CExpertSettingsField expert;
    QCoreApplication::removeTranslator(&english);

    QCOMPARE(location.findChild<QLineEdit*>("longitudeEdit")->placeholderText(),
             QStringLiteral("Max 180.00"));
    QCOMPARE(location.findChild<QLineEdit*>("latitudeEdit")->placeholderText(), QStringLiteral("Max 90.00"));
    QCOMPARE(headerBoxOf(&location)->text(), QStringLiteral("Location"));
    QCOMPARE(headerBoxOf(&expert)->text(), QStringLiteral("Expert settings"));
    QCOMPARE(headerBoxOf(expert.adaptiveDrField())->text(), QStringLiteral("Adaptive data rate"));

    CLocationSettingsField russian;
    QCOMPARE(russian.findChild<QLineEdit*>("longitudeEdit")->placeholderText(),
             QStringLiteral("Максимум 180.00"));
}

RAVLO_REGISTER_TEST(TestLoRaSettingsFields)
#include "tst_lorasettingsfields.moc"
