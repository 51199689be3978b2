#include "SettingsFieldTestHelpers.h"
#include "common/TestRegistry.h"

#include "server/CMessageParser.h"
#include "server/FrequencyPlans.h"

#include <QTranslator>

namespace {

// Per group "expanded" or "collapsed" when its two boxes agree on it, "mixed" otherwise.
QString states(std::initializer_list<CAbstatractSettingsField*> fields)
{
    QStringList states;
    for (CAbstatractSettingsField* f : fields) {
        const bool header = headerBoxOf(f)->isVisibleTo(f), group = groupBoxOf(f)->isVisibleTo(f);
        states << (!header && group && f->isGroupEnabled()                                    ? "expanded"
                   : header && !group && !headerBoxOf(f)->isChecked() && !f->isGroupEnabled() ? "collapsed"
                                                                                              : "mixed");
    }
    return states.join(' ');
}

// The frequencies of channels 4 to 8 and RX2 as shown, after "editable:" or "fixed:".
QString frequencies(const SettingsPage& page)
{
    QStringList texts;
    int enabled = 0;
    for (auto name : {"freqEdit4", "freqEdit5", "freqEdit6", "freqEdit7", "freqEdit8", "freqRx2Edit"}) {
        texts << page.find(name)->text();
        enabled += page.find(name)->isEnabled();
    }
    return (enabled == 6 ? "editable: " : enabled == 0 ? "fixed: " : "mixed: ") + texts.join(' ');
}

const QString ru868 = QStringLiteral("864100000 864300000 864500000 864700000 864900000 869100000");
const QString eu868 = QStringLiteral("867100000 867300000 867500000 867700000 867900000 869525000");

} // namespace

class TestSettingsFields : public QObject
{
    Q_OBJECT
private slots:
    void groupsExpandCollapseAndNest();
    void gettersFollowOperatorEdits();
    void coordinateEditsAcceptOnlyTheirRange_data();
    void coordinateEditsAcceptOnlyTheirRange();
    void longitudePlaceholderInBothLanguages();
    void settersAndThePlanHandler();
    void planFieldAndServerNamingAgree_data();
    void planFieldAndServerNamingAgree();
};

void TestSettingsFields::groupsExpandCollapseAndNest()
{
    SettingsPage page;
    QVERIFY(QTest::qWaitForWindowExposed(&page.window));
    CAbstatractSettingsField* device = page.optional->deviceField();
    QCOMPARE(states({page.optional, device}), QStringLiteral("collapsed collapsed"));
    clickCheckBox(headerBoxOf(page.optional));
    clickCheckBox(headerBoxOf(device));
    QCOMPARE(states({page.optional, device}), QStringLiteral("expanded expanded"));
    page.type("nameTemplateEdit", QStringLiteral("kept"));

    // Space on the title check collapses the parent: the nested group keeps its check but is out of use.
    QTest::keyClick(groupBoxOf(page.optional), Qt::Key_Space);
    QCOMPARE(states({page.optional}), QStringLiteral("collapsed"));
    QVERIFY(device->isGroupEnabled() && !device->isInUse());
    QVERIFY(!page.optional->getSettings().device.enabled && !page.optional->getSettings().enabled);
    clickCheckBox(headerBoxOf(page.optional));
    QVERIFY(device->isInUse());

    QCOMPARE(page.optional->getSettings().device.nameTemplate, QStringLiteral("kept"));

    // expandAll passes over a nested group that no longer exists.
    delete page.expert->rxField();
    page.expert->expandAll();
    QCOMPARE(states({page.expert, page.expert->adaptiveDrField(), page.expert->locationField()}),
             QStringLiteral("expanded expanded expanded"));
}

void TestSettingsFields::gettersFollowOperatorEdits()
{
    SettingsPage page;
    QVERIFY(QTest::qWaitForWindowExposed(&page.window));
    // Never expanded: the defaults are read and no group is enabled.
    QCOMPARE(expertText(page.expert->getSettings()),
             QStringLiteral("false false true 5 14 false 1 1 0 5 false 0 0 0"));
    QCOMPARE(optionalText(page.optional->getSettings()),
             QStringLiteral("false false %deveui CLASS_A false 1000 false false RU868 11111111"));

    clickCheckBox(headerBoxOf(page.expert));
    clickCheckBox(headerBoxOf(page.expert->adaptiveDrField()));
    clickCheckBox(headerBoxOf(page.expert->locationField()));
    clickCheckBox(page.find<QCheckBox>("serverAdrBox"));
    page.choose("preferDrBox", QStringLiteral("DR2"));
    page.choose("preferPowerBox", QStringLiteral("5 dBm"));
    page.type("latitudeEdit", QStringLiteral("55.75"));
    page.type("longitudeEdit", QStringLiteral("137.62"));
    page.type("altitudeEdit", QStringLiteral("156"));
    // Coordinates are read in single precision; the RX group stays collapsed.
    QCOMPARE(expertText(page.expert->getSettings()),
             QStringLiteral("true true false 2 5 false 1 1 0 5 true 156 55.75 137.6199951171875"));

    page.optional->expandAll();
    CSettingsClassCDeviceField* classC = page.optional->classCField();
    QVERIFY(!classC->isVisible());
    page.type("nameTemplateEdit", QStringLiteral("m_%sn"));
    page.choose("deviceClassBox", QStringLiteral("Class C"));
    QVERIFY(classC->isVisible());
    page.type("reactionTimeEdit", QStringLiteral("250"));
    clickCheckBox(page.find<QCheckBox>("downlinkQueueBox"));
    clickCheckBox(page.find<QCheckBox>("channelBox3"));
    QCOMPARE(optionalText(page.optional->getSettings()),
             QStringLiteral("true true m_%sn CLASS_C true 250 true true RU868 11011111"));

    // The class C group is shown and hidden by the operator's choice only, never by written settings.
    page.choose("deviceClassBox", QStringLiteral("Class A"));
    QVERIFY(!classC->isVisible());
    COptionalSettingsField::SettStruct written = page.optional->getSettings();
    QCOMPARE(written.classC.reactionTime, 250);
    written.device.devClass = QStringLiteral("CLASS_C");
    page.optional->setSettings(written);
    QCOMPARE(page.find<QComboBox>("deviceClassBox")->currentText(), QStringLiteral("Class C"));
    QVERIFY(!classC->isVisible());
    page.choose("deviceClassBox", QStringLiteral("Class A"));
    page.choose("deviceClassBox", QStringLiteral("Class C"));
    QVERIFY(classC->isVisible());
    written.device.devClass = QStringLiteral("CLASS_A");
    page.optional->setSettings(written);
    QVERIFY(classC->isVisible());
}

void TestSettingsFields::coordinateEditsAcceptOnlyTheirRange_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    const auto row = [](const char* name, const char* edit, const char* typed, const char* shown) {
        QTest::newRow(name) << QString(edit) << QString(typed) << QString(shown);
    };
    row("longitude east of 99.99", "longitudeEdit", "137.62", "137.62");
    row("longitude 180.00", "longitudeEdit", "180.00", "180.00");
    row("longitude above 180", "longitudeEdit", "180.5", "180.");
    row("longitude 181", "longitudeEdit", "181", "18");
    row("longitude 200", "longitudeEdit", "200", "20");
    row("longitude four digits", "longitudeEdit", "1234", "123");
    row("longitude three decimals", "longitudeEdit", "37.125", "37.12");
    row("longitude sign", "longitudeEdit", "-37", "37");
    row("latitude keeps two digits", "latitudeEdit", "123.4", "12.4");
    row("altitude nine digits", "altitudeEdit", "1234567890", "123456789");
    row("altitude letters", "altitudeEdit", "12a", "12");
}

void TestSettingsFields::coordinateEditsAcceptOnlyTheirRange()
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

void TestSettingsFields::longitudePlaceholderInBothLanguages()
{
    CLocationSettingsField russian;
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/Translations/ravlo_en.qm")));
    QCoreApplication::installTranslator(&english);
    CLocationSettingsField translated;
    QCoreApplication::removeTranslator(&english);
    QCOMPARE(russian.findChild<QLineEdit*>("longitudeEdit")->placeholderText() + " | " +
                 translated.findChild<QLineEdit*>("longitudeEdit")->placeholderText(),
             QStringLiteral("Максимум 180.00 | Max 180.00"));
}

void TestSettingsFields::settersAndThePlanHandler()
{
    SettingsPage page;
    page.optional->expandAll();
    // Values outside the lists leave no current item; the getters then read 0 or empty text.
    CExpertSettingsField::SettStruct expert = page.expert->getSettings();
    expert.rx.rxWindow = 7;
    expert.adr.preferPower = 13;
    page.expert->setSettings(expert);
    QCOMPARE(page.find<QComboBox>("rxWindowBox")->currentIndex(), -1);
    QCOMPARE(page.find<QComboBox>("preferPowerBox")->currentIndex(), -1);
    QCOMPARE(expertText(page.expert->getSettings()),
             QStringLiteral("false false true 5 0 false 0 1 0 5 false 0 0 0"));
    COptionalSettingsField::SettStruct optional = page.optional->getSettings();
    optional.device.devClass = QStringLiteral("class_c");
    optional.freqPlan.plan = QStringLiteral("AS923");
    page.optional->setSettings(optional);
    QCOMPARE(page.find<QComboBox>("deviceClassBox")->currentIndex(), -1);
    QCOMPARE(page.find<QComboBox>("planBox")->currentIndex(), -1);
    QCOMPARE(optionalText(page.optional->getSettings()),
             QStringLiteral("true true %deveui  true 1000 false true  11111111"));
    QCOMPARE(frequencies(page), "fixed: " + ru868);

    // The operator's plan: a named one overwrites the frequencies, custom keeps them and opens the edits.
    page.choose("planBox", QStringLiteral("EU868"));
    QCOMPARE(frequencies(page), "fixed: " + eu868);
    page.choose("planBox", QStringLiteral("custom"));
    QCOMPARE(frequencies(page), "editable: " + eu868);
    page.type("freqEdit5", QStringLiteral("868800000"));
    QCOMPARE(page.optional->getSettings().freqPlan.freq5, 868800000);
    page.choose("planBox", QStringLiteral("RU868"));
    QCOMPARE(frequencies(page), "fixed: " + ru868);

    // Written settings: a custom plan keeps the written frequencies, a named plan brings its own.
    optional = page.optional->getSettings();
    optional.freqPlan.freq4 = 111;
    optional.freqPlan.plan = QStringLiteral("custom");
    page.optional->setSettings(optional);
    QCOMPARE(frequencies(page), "editable: 111" + ru868.mid(9));
    optional.freqPlan.plan = QStringLiteral("EU868");
    page.optional->setSettings(optional);
    QCOMPARE(frequencies(page), "fixed: " + eu868);
}

void TestSettingsFields::planFieldAndServerNamingAgree_data()
{
    QTest::addColumn<QString>("plan");
    for (const QString& plan : FrequencyPlans::names())
        QTest::newRow(qPrintable(plan)) << plan;
}

// A device registered with a named plan of the field is named after that plan when read back.
void TestSettingsFields::planFieldAndServerNamingAgree()
{
    QFETCH(QString, plan);
    SettingsPage page;
    page.optional->expandAll();
    page.choose("planBox", plan);
    if (plan == FrequencyPlans::customName)
        page.type("freqEdit4", QStringLiteral("868100000"));
    const FreqPlanSettings chosen = page.optional->getSettings().freqPlan;
    LoRaDevice device;
    device.freq4 = chosen.freq4;
    device.freq5 = chosen.freq5;
    device.freq6 = chosen.freq6;
    device.freq7 = chosen.freq7;
    device.freq8 = chosen.freq8;
    device.freqRx2 = chosen.freqRx2;
    QCOMPARE(CMessageParser::frequencyPlanName(device), plan);
}

RAVLO_REGISTER_TEST(TestSettingsFields)
#include "tst_settingsfields.moc"
