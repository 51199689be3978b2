#pragma once

#include "foundation/widgets/CAbstatractSettingsField.h"
#include "registration/LoRaSettings.h"
#include "server/FrequencyPlans.h"

#include <QCoreApplication>

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;

// The frequency plan: the plan name, the extra channels 4 to 8 with their frequencies, the
// RX2 frequency and which of the eight channels are enabled. A named plan fixes the
// frequencies; "custom" lets the operator type them.
class CFreqPlanSettingsField : public CAbstatractSettingsField
{
    Q_DECLARE_TR_FUNCTIONS(CFreqPlanSettingsField)
public:
    static constexpr int channelCount = FreqPlanSettings::channelCount;
    static constexpr int firstEditableChannel = 4;

    using SettStruct = FreqPlanSettings;

    explicit CFreqPlanSettingsField(QWidget* parent = nullptr);

    SettStruct getSettings() const;
    // Frequencies and channels are written first, then the plan is chosen by its text: a plan
    // other than the current one replaces the frequencies with its own.
    void setSettings(const SettStruct& settings);

private:
    void applyPlan(const QString& plan);
    void writeFrequencies(const FrequencyPlans::Plan& plan);
    void setFrequencyEditsEnabled(bool enabled);

    QComboBox* m_planBox = nullptr;
    std::array<QLineEdit*, 5> m_freqEdits{};
    QLineEdit* m_rx2Edit = nullptr;
    std::array<QCheckBox*, channelCount> m_channelBoxes{};
};
