#include "SettingsFieldTestHelpers.h"
#include "app/CSettings.h"
#include "common/TestRegistry.h"
#include "registration/CExpertSettingsField.h"
#include "registration/CLoRaPresets.h"
#include "registration/COptionalSettingsField.h"
#include "registration/LoRaPresetJson.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// The settings column of the registration page: presets above the two top-level groups.
struct PresetPage
{
    PresetPage()
    {
        auto* layout = new QVBoxLayout(&window);
        expert = new CExpertSettingsField;
        optional = new COptionalSettingsField;
        presets = new CLoRaPresets(expert, optional);
        layout->addWidget(presets);
        layout->addWidget(expert);
        layout->addWidget(optional);
        presets->iniPresets(CSettings::readValue(CSettings::loraPresets).toString());
        window.show();
    }
    template <typename T> T* find(const char* name) const
    {
        return window.findChild<T*>(QLatin1String(name));
    }
    QStringList items() const
    {
        QStringList texts;
        for (int i = 0; i < presets->presetsBox()->count(); ++i)
            texts << presets->presetsBox()->itemText(i);
        return texts;
    }
    QString current() const { return presets->presetsBox()->currentText(); }
    void choose(const QString& text) const { chooseItem(presets->presetsBox(), text); }
    // Types a name and presses the save button; the message box that follows gets the answer.
    QString save(const QString& name, QMessageBox::StandardButton answer) const
    {
        QLineEdit* edit = presets->nameEdit();
        edit->clear();
        QTest::keyClicks(edit, name);
        MessageBoxAnswerer answerer(answer);
        QTest::mouseClick(presets->saveButton(), Qt::LeftButton);
        return answerer.answered() ? answerer.text() : QString();
    }
    void typeInto(const char* editName, const QString& text) const
    {
        QLineEdit* edit = find<QLineEdit>(editName);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    QWidget window;
    CExpertSettingsField* expert = nullptr;
    COptionalSettingsField* optional = nullptr;
    CLoRaPresets* presets = nullptr;
};

// What the settings file on disk holds. Read from a copy: a QSettings on the same path would
// share the store's in-memory values.
QString storedOnDisk()
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("copy.cfg"));
    if (!QFile::copy(CSettings::instance()->fileName(), copy))
        return QString();
    return QSettings(copy, QSettings::IniFormat).value(QStringLiteral("loraPresets")).toString();
}

QJsonArray storedArray()
{
    return QJsonDocument::fromJson(storedOnDisk().toUtf8()).array();
}

QStringList storedNames()
{
    QStringList names;
    for (const QJsonValue& element : storedArray())
        names << element.toObject().value("preset").toString();
    return names;
}

void store(const QString& text)
{
    QVERIFY(CSettings::writeValue(CSettings::loraPresets, text));
}

const QString firstItem = QStringLiteral("Список готовых настроек");
const QString custom = QStringLiteral("custom");

} // namespace

class TestLoRaPresets : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void savedPresetIsListedAndApplied();
    void answeringYesAfterSavingAppliesThePreset();
    void emptyNameIsRefused();
    void replacingAnExistingNameAsksFirst_data();
    void replacingAnExistingNameAsksFirst();
    void twoElementsWithOneName();
    void storedTextThatIsNotAnArray();
    void editAwayFromPresetSwitchesToCustomAndBack();
    void applyingAPresetIsNotAnEdit();
    void savingKeepsTheOperatorsCustomValues();
    void failedWriteIsReported();
};

void TestLoRaPresets::initTestCase()
{
    // The test main runs us in a fresh temporary directory: this is that directory's settings file.
    CSettings::instance();
    QCOMPARE(QFileInfo(CSettings::instance()->fileName()).absolutePath(), QDir::currentPath());
}

void TestLoRaPresets::init()
{
    CSettings::instance()->remove(QStringLiteral("loraPresets"));
    CSettings::instance()->sync();
}

void TestLoRaPresets::savedPresetIsListedAndApplied()
{
    PresetPage page;
    QVERIFY(QTest::qWaitForWindowExposed(&page.window));
    QCOMPARE(page.items(), (QStringList{firstItem, custom}));
    QVERIFY(page.presets->nameEdit()->isHidden());

    page.choose(custom);
    QVERIFY(!page.presets->nameEdit()->isHidden() && !page.presets->saveButton()->isHidden());
    QVERIFY(page.expert->rxField()->isGroupEnabled());
    chooseItem(page.find<QComboBox>("rxWindowBox"), QStringLiteral("2"));
    page.typeInto("longitudeEdit", QStringLiteral("137.62"));
    chooseItem(page.find<QComboBox>("planBox"), QStringLiteral("EU868"));

    QCOMPARE(page.save(QStringLiteral("P1"), QMessageBox::No),
             QStringLiteral("Do you want to change this preset?"));
    QCOMPARE(storedNames(), (QStringList{"P1"}));
    const QJsonObject settings = storedArray().at(0).toObject().value("settings").toObject();
    QCOMPARE(settings.value("device").toObject().value("devName").toString(), QStringLiteral("P1_%deveui"));
    QCOMPARE(settings.value("rxDeviceSettings").toObject().value("rxWindow").toInt(), 2);
    QCOMPARE(settings.value("freqPlan").toObject().value("freqPlan").toString(), QStringLiteral("EU868"));
    QCOMPARE(page.items(), (QStringList{firstItem, "P1", custom}));
    QCOMPARE(page.current(), custom);

    // Change the values, then choose the preset: its values come back.
    chooseItem(page.find<QComboBox>("rxWindowBox"), QStringLiteral("1"));
    page.typeInto("longitudeEdit", QStringLiteral("12.5"));
    chooseItem(page.find<QComboBox>("planBox"), QStringLiteral("KZ868"));
    page.choose(QStringLiteral("P1"));
    QCOMPARE(page.current(), QStringLiteral("P1"));
    QVERIFY(page.presets->nameEdit()->isHidden() && page.presets->saveButton()->isHidden());
    QCOMPARE(page.expert->getSettings().rx.rxWindow, 2);
    QCOMPARE(page.expert->getSettings().location.longitude, double(137.62f));
    QCOMPARE(page.optional->getSettings().freqPlan.plan, QStringLiteral("EU868"));
    QCOMPARE(page.optional->getSettings().freqPlan.freqRx2, 869525000);
    QCOMPARE(page.optional->getSettings().device.nameTemplate, QStringLiteral("P1_%deveui"));

    // A new page lists what the settings file holds.
    PresetPage reopened;
    QCOMPARE(reopened.items(), (QStringList{firstItem, "P1", custom}));
    QCOMPARE(reopened.current(), firstItem);
}

void TestLoRaPresets::answeringYesAfterSavingAppliesThePreset()
{
    PresetPage page;
    page.choose(custom);
    chooseItem(page.find<QComboBox>("delayJoin1Box"), QStringLiteral("9 s"));
    page.save(QStringLiteral("Yes-preset"), QMessageBox::Yes);
    QCOMPARE(page.current(), QStringLiteral("Yes-preset"));
    QVERIFY(page.presets->nameEdit()->isHidden());
    QCOMPARE(page.expert->getSettings().rx.delayJoin1, 9);
    QCOMPARE(page.optional->getSettings().device.nameTemplate, QStringLiteral("Yes-preset_%deveui"));
}

void TestLoRaPresets::emptyNameIsRefused()
{
    PresetPage page;
    page.choose(custom);
    QCOMPARE(page.save(QString(), QMessageBox::Ok), QStringLiteral("Empty preset name"));
    QVERIFY(storedOnDisk().isEmpty());
    QCOMPARE(page.items(), (QStringList{firstItem, custom}));
}

void TestLoRaPresets::replacingAnExistingNameAsksFirst_data()
{
    QTest::addColumn<bool>("replace");
    QTest::newRow("No keeps the stored preset") << false;
    QTest::newRow("Yes replaces it, moved to the end") << true;
}

void TestLoRaPresets::replacingAnExistingNameAsksFirst()
{
    QFETCH(bool, replace);
    PresetPage page;
    page.choose(custom);
    page.save(QStringLiteral("A"), QMessageBox::No);
    page.save(QStringLiteral("B"), QMessageBox::No);
    const QString before = storedOnDisk();

    chooseItem(page.find<QComboBox>("drRx2Box"), QStringLiteral("DR3"));
    const QString question = page.save(QStringLiteral("A"), replace ? QMessageBox::Yes : QMessageBox::No);
    QCOMPARE(question,
             QStringLiteral("A already exist!\nDo you want to rewrite your changes for preset A ?"));
    QCOMPARE(page.items(), (QStringList{firstItem, "A", "B", custom}));
    QCOMPARE(page.current(), custom);
    if (!replace) {
        QCOMPARE(storedOnDisk(), before);
        return;
    }
    QCOMPARE(storedNames(), (QStringList{"B", "A"}));
    QCOMPARE(storedArray()
                 .at(1)
                 .toObject()
                 .value("settings")
                 .toObject()
                 .value("rxDeviceSettings")
                 .toObject()
                 .value("drRx2"),
             QJsonValue(3));
}

void TestLoRaPresets::twoElementsWithOneName()
{
    store(QStringLiteral(R"([{"preset":"Twin","settings":{"rxDeviceSettings":{"rxWindow":1,"delayRx1":3}}},)"
                         R"({"preset":"Other","settings":{}},)"
                         R"({"preset":"Twin","settings":{"rxDeviceSettings":{"rxWindow":2}}}])"));
    PresetPage page;
    QCOMPARE(page.items(), (QStringList{firstItem, "Twin", "Other", custom}));

    // Both are written in turn and the later one wins, also where it lacks a key (read as 0).
    page.choose(QStringLiteral("Twin"));
    QCOMPARE(page.expert->getSettings().rx.rxWindow, 2);
    QCOMPARE(page.expert->getSettings().rx.delayRx1, 0);

    page.choose(custom);
    page.save(QStringLiteral("Twin"), QMessageBox::Yes);
    QCOMPARE(storedNames(), (QStringList{"Twin", "Other", "Twin"}));
    QCOMPARE(storedArray()
                 .at(0)
                 .toObject()
                 .value("settings")
                 .toObject()
                 .value("rxDeviceSettings")
                 .toObject()
                 .value("delayRx1"),
             QJsonValue(3));
}

void TestLoRaPresets::storedTextThatIsNotAnArray()
{
    store(QStringLiteral(R"({"preset":"Lost","settings":{}})"));
    PresetPage page;
    QCOMPARE(page.items(), (QStringList{firstItem, custom}));
    page.choose(custom);
    page.save(QStringLiteral("Fresh"), QMessageBox::No);
    QCOMPARE(storedNames(), (QStringList{"Fresh"}));
    QCOMPARE(page.items(), (QStringList{firstItem, "Fresh", custom}));
}

void TestLoRaPresets::editAwayFromPresetSwitchesToCustomAndBack()
{
    PresetPage page;
    page.choose(custom);
    page.save(QStringLiteral("P"), QMessageBox::No);
    page.choose(QStringLiteral("P"));
    QCOMPARE(page.current(), QStringLiteral("P"));

    QComboBox* rxWindow = page.find<QComboBox>("rxWindowBox");
    chooseItem(rxWindow, QStringLiteral("2"));
    QCOMPARE(page.current(), custom);
    QVERIFY(!page.presets->nameEdit()->isHidden());
    chooseItem(rxWindow, QStringLiteral("1"));
    QCOMPARE(page.current(), QStringLiteral("P"));
    QVERIFY(page.presets->nameEdit()->isHidden());

    // The optional side: the name template typed away from the stored one and back.
    QLineEdit* name = page.find<QLineEdit>("nameTemplateEdit");
    name->end(false);
    QTest::keyClicks(name, QStringLiteral("x"));
    QCOMPARE(page.current(), custom);
    QTest::keyClick(name, Qt::Key_Backspace);
    QCOMPARE(page.current(), QStringLiteral("P"));

    // A coordinate read in single precision compares equal to what was stored.
    page.typeInto("latitudeEdit", QStringLiteral("55.75"));
    QCOMPARE(page.current(), custom);
    page.save(QStringLiteral("Q"), QMessageBox::Yes);
    QCOMPARE(page.current(), QStringLiteral("Q"));
    QLineEdit* latitude = page.find<QLineEdit>("latitudeEdit");
    QTest::keyClick(latitude, Qt::Key_Backspace);
    QCOMPARE(page.current(), custom);
    QTest::keyClicks(latitude, QStringLiteral("5"));
    QCOMPARE(page.current(), QStringLiteral("Q"));
}

void TestLoRaPresets::applyingAPresetIsNotAnEdit()
{
    // Writing the preset toggles the server ADR box before the data rate is written: that
    // half-written state must not count as an operator edit away from the preset.
    CExpertSettingsField::SettStruct expert = CExpertSettingsField().getSettings();
    COptionalSettingsField::SettStruct optional = COptionalSettingsField().getSettings();
    expert.adr.serverAdrEnable = false;
    expert.adr.preferDr = 1;
    optional.device.devClass = QStringLiteral("CLASS_C");
    store(LoRaPresetJson::toStoredText(
        {LoRaPresetJson::makeElement(QStringLiteral("Flags"), expert, optional)}));

    PresetPage page;
    page.choose(QStringLiteral("Flags"));
    QCOMPARE(page.current(), QStringLiteral("Flags"));
    QVERIFY(page.presets->nameEdit()->isHidden());
    QCOMPARE(page.expert->getSettings().adr.serverAdrEnable, false);
    QCOMPARE(page.expert->getSettings().adr.preferDr, 1);
    QCOMPARE(page.optional->getSettings().device.devClass, QStringLiteral("CLASS_C"));
    QVERIFY(!page.optional->classCField()->isVisibleTo(page.optional));
}

void TestLoRaPresets::savingKeepsTheOperatorsCustomValues()
{
    PresetPage page;
    page.choose(custom);
    page.save(QStringLiteral("First"), QMessageBox::No);

    // Still on "custom": the operator changes values and saves them as a second preset.
    chooseItem(page.find<QComboBox>("preferDrBox"), QStringLiteral("DR1"));
    page.typeInto("altitudeEdit", QStringLiteral("321"));
    page.save(QStringLiteral("Second"), QMessageBox::No);
    QCOMPARE(page.current(), custom);
    QCOMPARE(page.items(), (QStringList{firstItem, "First", "Second", custom}));
    QCOMPARE(page.expert->getSettings().adr.preferDr, 1);
    QCOMPARE(page.expert->getSettings().location.altitude, 321);
}

void TestLoRaPresets::failedWriteIsReported()
{
    PresetPage page;
    page.choose(custom);
    // A directory where the settings file should be: the file cannot be written.
    const QString fileName = CSettings::instance()->fileName();
    QFile::remove(fileName);
    QVERIFY(QDir().mkdir(fileName));
    const QString warning = page.save(QStringLiteral("Unsaved"), QMessageBox::Ok);
    QVERIFY(QDir().rmdir(fileName));
    QVERIFY2(warning.contains(QStringLiteral("Не удалось")), qPrintable(warning));
    QVERIFY(storedOnDisk().isEmpty());
    // Kept for this run: listed, and written out with the next write that succeeds.
    QCOMPARE(page.items(), (QStringList{firstItem, "Unsaved", custom}));
    page.save(QStringLiteral("Saved"), QMessageBox::No);
    QCOMPARE(storedNames(), (QStringList{"Unsaved", "Saved"}));
}

RAVLO_REGISTER_TEST(TestLoRaPresets)
#include "tst_presets.moc"
