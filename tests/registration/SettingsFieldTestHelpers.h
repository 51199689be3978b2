#pragma once

#include "foundation/CSettings.h"
#include "registration/widgets/CExpertSettingsField.h"
#include "registration/widgets/CLoRaPresets.h"
#include "registration/widgets/COptionalSettingsField.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include <functional>

// The two boxes of a settings group (not those of its nested groups).
inline QCheckBox* headerBoxOf(CAbstatractSettingsField* field)
{
    return field->findChild<QCheckBox*>(QStringLiteral("groupHeaderBox"), Qt::FindDirectChildrenOnly);
}
inline QGroupBox* groupBoxOf(CAbstatractSettingsField* field)
{
    return field->findChild<QGroupBox*>(QStringLiteral("groupBox"), Qt::FindDirectChildrenOnly);
}

// A click on the indicator at the left edge of a check box, as the operator expands a group.
inline void clickCheckBox(QCheckBox* box)
{
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(6, box->height() / 2));
}

// Moves a combo box to the item with the keyboard (one activation per key press).
inline void chooseItem(QComboBox* combo, const QString& text)
{
    const int index = combo->findText(text);
    if (index == combo->count() - 1)
        return QTest::keyClick(combo, Qt::Key_End);
    if (index == 0 || combo->currentIndex() < 0)
        QTest::keyClick(combo, Qt::Key_Home);
    const int steps = index - qMax(combo->currentIndex(), 0);
    for (int step = 0; step < qAbs(steps); ++step)
        QTest::keyClick(combo, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
}

// Runs the action and answers the message box it opens, as an operator would; returns the
// box's text (empty when none was shown).
inline QString answerMessageBox(QMessageBox::StandardButton answer, const std::function<void()>& action)
{
    QString text;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        text = box->text();
        (box->button(answer) ? box->button(answer) : box->buttons().value(0))->click();
    });
    poll.start(10);
    action();
    return text;
}

// The settings column of the registration page: presets (when asked for) above the two top-level groups.
struct SettingsPage
{
    explicit SettingsPage(bool withPresets = false)
    {
        auto* layout = new QVBoxLayout(&window);
        if (withPresets) {
            presets = new CLoRaPresets(expert, optional);
            layout->addWidget(presets);
            presets->iniPresets(CSettings::readValue(CSettings::loraPresets).toString());
        }
        layout->addWidget(expert);
        layout->addWidget(optional);
        window.show();
    }
    template <typename T = QLineEdit> T* find(const char* name) const
    {
        return window.findChild<T*>(QLatin1String(name));
    }
    // Replaces the text of a line edit by typing.
    void type(const char* edit, const QString& text) const
    {
        find(edit)->selectAll();
        QTest::keyClicks(find(edit), text);
    }
    void choose(const char* combo, const QString& text) const { chooseItem(find<QComboBox>(combo), text); }

    QWidget window;
    CExpertSettingsField* expert = new CExpertSettingsField;
    COptionalSettingsField* optional = new COptionalSettingsField;
    CLoRaPresets* presets = nullptr;
};

// Every value of the settings as one line of text, in the order of the records.
template <typename... T> QString valuesText(const T&... values)
{
    return QStringList{QVariant(values).toString()...}.join(QLatin1Char(' '));
}
// enabled | adr: enabled, server ADR, DR, power | rx: enabled, window, delay RX1, DR RX2, join delay |
// location: enabled, altitude, latitude, longitude
inline QString expertText(const CExpertSettingsField::SettStruct& s)
{
    return valuesText(s.enabled, s.adr.enabled, s.adr.serverAdrEnable, s.adr.preferDr, s.adr.preferPower,
                      s.rx.enabled, s.rx.rxWindow, s.rx.delayRx1, s.rx.drRx2, s.rx.delayJoin1,
                      s.location.enabled, s.location.altitude, s.location.latitude, s.location.longitude);
}
// enabled | device: enabled, name template, class | class C: enabled, reaction time, downlink queue |
// plan: enabled, name, channels 1..8 on (1) or off (0)
inline QString optionalText(const COptionalSettingsField::SettStruct& s)
{
    QString channels;
    for (bool on : s.freqPlan.channelEn)
        channels += on ? QLatin1Char('1') : QLatin1Char('0');
    return valuesText(s.enabled, s.device.enabled, s.device.nameTemplate, s.device.devClass, s.classC.enabled,
                      s.classC.reactionTime, s.classC.useDownlinkQueue, s.freqPlan.enabled, s.freqPlan.plan,
                      channels);
}
