#include "SettingsFieldTestHelpers.h"
#include "common/TestRegistry.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

const QString firstItem = QStringLiteral("Список готовых настроек");
const QString custom = QStringLiteral("custom");

// What the settings file on disk holds under loraPresets. Read from a copy: a QSettings on the
// same path would share the store's in-memory values.
QString storedOnDisk()
{
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("copy.cfg"));
    QFile::copy(CSettings::instance()->fileName(), copy);
    return QSettings(copy, QSettings::IniFormat).value(QStringLiteral("loraPresets")).toString();
}

// The copies of stored presets that could not be read, beside the settings file.
QStringList presetsBackups()
{
    const QFileInfo settings(CSettings::instance()->fileName());
    QStringList paths;
    for (const QString& name : settings.absoluteDir().entryList({settings.fileName() + ".presets-*.bak"}))
        paths << settings.absoluteDir().filePath(name);
    return paths;
}

QString fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList storedNames()
{
    QStringList names;
    for (const QJsonValue& element : QJsonDocument::fromJson(storedOnDisk().toUtf8()).array())
        names << element["preset"].toString();
    return names;
}

QJsonValue storedValue(int element, const char* group, const char* key)
{
    return QJsonDocument::fromJson(storedOnDisk().toUtf8()).array().at(element)["settings"][group][key];
}

// The settings column with the presets above the groups, listing what the settings file holds.
struct PresetPage : SettingsPage
{
    PresetPage() : SettingsPage(true) {}
    QStringList items() const
    {
        QStringList texts;
        for (int i = 0; i < presets->presetsBox()->count(); ++i)
            texts << presets->presetsBox()->itemText(i);
        return texts;
    }
    QString current() const { return presets->presetsBox()->currentText(); }
    bool canSave() const { return presets->nameEdit()->isVisible() && presets->saveButton()->isVisible(); }
    // Types the name, presses the save button and answers the message box that follows.
    QString save(const QString& name, QMessageBox::StandardButton answer) const
    {
        presets->nameEdit()->clear();
        QTest::keyClicks(presets->nameEdit(), name);
        return answerMessageBox(answer, [this] { QTest::mouseClick(presets->saveButton(), Qt::LeftButton); });
    }
};

} // namespace

class TestLoRaPresets : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void savedPresetIsStoredListedAndApplied();
    void twoElementsWithOneNameAreAppliedAndReplaced();
    void editAwayFromPresetSwitchesToCustomAndBack_data();
    void editAwayFromPresetSwitchesToCustomAndBack();
    void failedWriteIsReported();
    void unreadableStoredTextIsKeptAndReported_data();
    void unreadableStoredTextIsKeptAndReported();
};

void TestLoRaPresets::init()
{
    CSettings::instance()->remove(QStringLiteral("loraPresets"));
    CSettings::instance()->sync();
    for (const QString& path : presetsBackups())
        QFile::remove(path);
}

void TestLoRaPresets::savedPresetIsStoredListedAndApplied()
{
    // Stored text that is not an array lists nothing and is replaced by the first save.
    const QString notAList = QStringLiteral(R"({"preset":"Lost","settings":{}})");
    QVERIFY(CSettings::writeValue(CSettings::loraPresets, notAList));
    PresetPage page;
    QCOMPARE(page.items(), (QStringList{firstItem, custom}));
    QVERIFY(!page.canSave());
    page.choose("presetsBox", custom);
    QVERIFY(page.canSave() && page.expert->rxField()->isGroupEnabled());
    QCOMPARE(page.save(QString(), QMessageBox::Ok), QStringLiteral("Empty preset name"));
    QCOMPARE(storedOnDisk(), notAList);

    page.choose("rxWindowBox", QStringLiteral("2"));
    page.type("longitudeEdit", QStringLiteral("137.62"));
    page.choose("planBox", QStringLiteral("EU868"));
    // Yes: the new preset becomes the current one.
    QCOMPARE(page.save(QStringLiteral("P1"), QMessageBox::Yes),
             QStringLiteral("Do you want to change this preset?"));
    QCOMPARE(page.current(), QStringLiteral("P1"));
    QCOMPARE(
        storedOnDisk(),
        QStringLiteral(
            R"([{"preset":"P1","settings":{"adaptiveDataRate":{"preferDr":5,"preferPower":14},)"
            R"("device":{"class":"CLASS_A","devName":"P1_%deveui"},"freqPlan":{"channel1En":true,)"
            R"("channel2En":true,"channel3En":true,"channel4En":true,"channel5En":true,"channel6En":true,)"
            R"("channel7En":true,"channel8En":true,"freq4":867100000,"freq5":867300000,"freq6":867500000,)"
            R"("freq7":867700000,"freq8":867900000,"freqPlan":"EU868","freqRx2":869525000},)"
            R"("position":{"altitude":0,"latitude":0,"longitude":137.6199951171875},)"
            R"("rxDeviceSettings":{"delayJoin1":5,"delayRx1":1,"drRx2":0,"rxWindow":2},)"
            R"("serverAdrEnable":true}}])"));

    // No: a second preset saved from "custom" leaves the operator's values and "custom" in place.
    page.choose("presetsBox", custom);
    page.choose("rxWindowBox", QStringLiteral("1"));
    page.type("longitudeEdit", QStringLiteral("12.5"));
    page.choose("planBox", QStringLiteral("KZ868"));
    page.save(QStringLiteral("P2"), QMessageBox::No);
    QCOMPARE(page.items(), (QStringList{firstItem, "P1", "P2", custom}));
    QCOMPARE(page.current(), custom);
    QCOMPARE(expertText(page.expert->getSettings()),
             QStringLiteral("true true true 5 14 true 1 1 0 5 true 0 0 12.5"));
    QCOMPARE(optionalText(page.optional->getSettings()),
             QStringLiteral("true true P1_%deveui CLASS_A true 1000 false true KZ868 11111111"));

    page.choose("presetsBox", QStringLiteral("P1"));
    QCOMPARE(expertText(page.expert->getSettings()),
             QStringLiteral("true true true 5 14 true 2 1 0 5 true 0 0 137.6199951171875"));
    QCOMPARE(optionalText(page.optional->getSettings()),
             QStringLiteral("true true P1_%deveui CLASS_A true 1000 false true EU868 11111111"));

    PresetPage reopened;
    QCOMPARE(reopened.items(), (QStringList{firstItem, "P1", "P2", custom}));
    QCOMPARE(reopened.current(), firstItem);
}

void TestLoRaPresets::twoElementsWithOneNameAreAppliedAndReplaced()
{
    const QString stored = QStringLiteral(
        R"([{"preset":"Twin","settings":{"rxDeviceSettings":{"rxWindow":1,"delayRx1":3}}},)"
        R"({"preset":"Twin","settings":{"serverAdrEnable":false,"adaptiveDataRate":{"preferDr":1},)"
        R"("rxDeviceSettings":{"rxWindow":2},"device":{"class":"CLASS_C"}}},)"
        R"({"preset":"Other","settings":{}}])");
    QVERIFY(CSettings::writeValue(CSettings::loraPresets, stored));
    PresetPage page;
    QCOMPARE(page.items(), (QStringList{firstItem, "Twin", "Other", custom}));

    // Both are written in turn and the later one wins, also where it lacks a key (read as 0).
    // Those writes (the server ADR box toggles before the data rate follows) are no operator edits.
    page.choose("presetsBox", QStringLiteral("Twin"));
    QCOMPARE(page.current(), QStringLiteral("Twin"));
    QVERIFY(!page.canSave());
    QCOMPARE(expertText(page.expert->getSettings()),
             QStringLiteral("true true false 1 0 true 2 0 0 0 true 0 0 0"));
    QCOMPARE(optionalText(page.optional->getSettings()),
             QStringLiteral("true true  CLASS_C true 1000 false true  00000000"));
    QVERIFY(!page.optional->classCField()->isVisible());

    // Saving under the name asks first: No keeps the stored text, Yes replaces the later element
    // and moves it to the end.
    page.choose("presetsBox", custom);
    page.choose("drRx2Box", QStringLiteral("DR3"));
    const QString question =
        QStringLiteral("Twin already exist!\nDo you want to rewrite your changes for preset Twin ?");
    QCOMPARE(page.save(QStringLiteral("Twin"), QMessageBox::No), question);
    QCOMPARE(storedOnDisk(), stored);
    QCOMPARE(page.save(QStringLiteral("Twin"), QMessageBox::Yes), question);
    QCOMPARE(storedNames(), (QStringList{"Twin", "Other", "Twin"}));
    QCOMPARE(storedValue(0, "rxDeviceSettings", "delayRx1"), QJsonValue(3));
    QCOMPARE(storedValue(2, "rxDeviceSettings", "drRx2"), QJsonValue(3));
    QCOMPARE(page.items(), (QStringList{firstItem, "Twin", "Other", custom}));
    QCOMPARE(page.current(), custom);
}

void TestLoRaPresets::editAwayFromPresetSwitchesToCustomAndBack_data()
{
    QTest::addColumn<QString>("editor");
    for (const char* name : {"serverAdrBox", "preferPowerBox", "rxWindowBox", "longitudeEdit", "altitudeEdit",
                             "nameTemplateEdit", "deviceClassBox", "planBox", "channelBox8"})
        QTest::newRow(name) << QString(name);
}

void TestLoRaPresets::editAwayFromPresetSwitchesToCustomAndBack()
{
    QFETCH(QString, editor);
    PresetPage page;
    page.choose("presetsBox", custom);
    // A longitude read in single precision compares equal to what was stored.
    page.type("longitudeEdit", QStringLiteral("137.62"));
    page.type("altitudeEdit", QStringLiteral("156"));
    page.save(QStringLiteral("P"), QMessageBox::Yes);
    QCOMPARE(page.current(), QStringLiteral("P"));

    // One edit away from the preset, then the edit that undoes it.
    QWidget* widget = page.window.findChild<QWidget*>(editor);
    auto* combo = qobject_cast<QComboBox*>(widget);
    auto* edit = qobject_cast<QLineEdit*>(widget);
    const QString shown = combo ? combo->currentText() : edit ? edit->text() : QString();
    for (const QString& expected : {custom, QStringLiteral("P")}) {
        const bool away = expected == custom;
        if (combo)
            chooseItem(combo, away ? combo->itemText(combo->currentIndex() == 0 ? 1 : 0) : shown);
        else if (edit)
            page.type(qPrintable(editor), away ? shown.chopped(1) : shown);
        else
            clickCheckBox(qobject_cast<QCheckBox*>(widget));
        QCOMPARE(page.current(), expected);
        QCOMPARE(page.canSave(), away);
    }
}

void TestLoRaPresets::failedWriteIsReported()
{
    PresetPage page;
    page.choose("presetsBox", custom);
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

void TestLoRaPresets::unreadableStoredTextIsKeptAndReported_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("reason");
    QTest::newRow("repeated key")
        << R"([{"preset":"A","settings":{"device":{"class":"CLASS_A","class":"CLASS_C"}}}])"
        << R"(ключ "class" повторяется)";
    QTest::newRow("repeated key, escaped")
        << R"([{"preset":"A","settings":{}},{"preset":"B","pr\u0065set":"C"}])"
        << R"(ключ "preset" повторяется)";
    QTest::newRow("not a list") << R"({"preset":"Lost","settings":{}})"
                                << "это не список";
    QTest::newRow("not JSON") << R"([{"preset":"Cut)"
                              << "это не JSON";
}

void TestLoRaPresets::unreadableStoredTextIsKeptAndReported()
{
    QFETCH(QString, stored);
    QFETCH(QString, reason);
    QVERIFY(CSettings::writeValue(CSettings::loraPresets, stored));
    PresetPage page;
    const QLabel* label = page.presets->problemLabel();
    QCOMPARE(label->objectName(), QStringLiteral("presetsProblemLabel"));
    QVERIFY(label->isVisible());
    QVERIFY2(label->text().contains(reason), qPrintable(label->text()));
    QCOMPARE(page.items(), (QStringList{firstItem, custom}));
    QCOMPARE(presetsBackups(), QStringList());

    // The first save copies the text aside before it replaces it, and says where it went.
    page.choose("presetsBox", custom);
    page.save(QStringLiteral("P1"), QMessageBox::No);
    QCOMPARE(storedNames(), QStringList{"P1"});
    const QStringList kept = presetsBackups();
    QCOMPARE(kept.size(), 1);
    QCOMPARE(fileText(kept.first()), stored);
    QVERIFY(label->isVisible());
    QVERIFY2(label->text().contains(QFileInfo(kept.first()).fileName()), qPrintable(label->text()));

    // What it replaces now is readable: no further copy, and a new page has nothing to report.
    page.save(QStringLiteral("P2"), QMessageBox::No);
    QCOMPARE(storedNames(), (QStringList{"P1", "P2"}));
    QCOMPARE(presetsBackups(), kept);
    PresetPage reopened;
    QVERIFY(!reopened.presets->problemLabel()->isVisible());
    QCOMPARE(reopened.items(), (QStringList{firstItem, "P1", "P2", custom}));
}

RAVLO_REGISTER_TEST(TestLoRaPresets)
#include "tst_presets.moc"
