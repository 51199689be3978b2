#pragma once

#include "registration/LoRaPresetJson.h"

#include <QJsonObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class CExpertSettingsField;
class COptionalSettingsField;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Named snapshots of the expert and optional settings, kept in the settings under loraPresets.
// The presets box lists them; choosing one writes its values into the two groups; "custom"
// offers the name edit and the save button. Any edit that makes the groups differ from the
// chosen preset switches the box to "custom"; an edit that makes them equal again switches back.
// The hosting page calls iniPresets with the stored text once it has built the groups.
class CLoRaPresets : public QWidget
{
    Q_OBJECT
public:
    CLoRaPresets(CExpertSettingsField* expert, COptionalSettingsField* optional, QWidget* parent = nullptr);

    static const QString customItem;

    QComboBox* presetsBox() const { return m_presetsBox; }
    QLineEdit* nameEdit() const { return m_nameEdit; }
    QPushButton* saveButton() const { return m_saveButton; }
    // Tells the operator about stored presets that could not be read, and where their text went.
    QLabel* problemLabel() const { return m_problemLabel; }

public slots:
    // Lists the presets of a stored text; "custom" stays the last item (and current if it was).
    void iniPresets(QString presets);
    // Writes every stored preset of this name into the groups, in stored order.
    void findPreset(QString presetName);
    // The operator chose an item of the presets box.
    void changePresets();
    // Saves the current values under the name in the name edit.
    void createPreset();
    QJsonObject prepareJsonObjPreset();

private slots:
    void compareExpertWithPreset();
    void compareOptionalWithPreset();
    void showNameEditForCustom(const QString& currentText);
    void expandGroups();

private:
    bool comparisonApplies() const;
    // The stored settings of the preset last chosen (the last element of that name counts).
    QJsonObject currentPresetSettings() const;
    // Any difference switches the box to "custom"; none brings the preset back.
    void followComparison(const LoRaPresetJson::Difference& difference);
    void switchToCustom();
    void restorePreset();
    bool storePresets(const QJsonArray& presets);
    // A stored text that cannot be read is copied beside the settings file before anything
    // replaces it; false (the operator is told) when no copy could be written.
    bool keepUnreadableStoredText();
    static QString problemText(const LoRaPresetJson::Stored& stored);
    QString firstItemText() const;

    QComboBox* m_presetsBox = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QPushButton* m_saveButton = nullptr;
    QLabel* m_problemLabel = nullptr;
    bool m_showsUnreadable = false; // the label says that the stored presets could not be read
    QPointer<CExpertSettingsField> m_expert;
    QPointer<COptionalSettingsField> m_optional;
    int m_currentPresetIndex = 0;
    QString m_currentPresetName;
    // Set while a preset is written into the groups: those writes are not operator edits.
    bool m_applyingPreset = false;
};
