#pragma once

#include "registration/CAbstatractSettingsField.h"

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
    static constexpr int channelCount = 8;
    static constexpr int firstEditableChannel = 4;

    struct SettStruct
    {
        bool enabled = false;
        qint32 freq4 = 0;
        qint32 freq5 = 0;
        qint32 freq6 = 0;
        qint32 freq7 = 0;
        qint32 freq8 = 0;
        qint32 freqRx2 = 0;
        QString plan;
        std::array<bool, channelCount> channelEn{};
    };

    // Frequencies in Hz of one named plan: channels 4 to 8, then RX2.
    struct PlanFrequencies
    {
        std::array<qint32, 5> channels;
        qint32 rx2;
    };

    static const QString customPlan;
    static QStringList planNames();
    // The fixed frequencies of a named plan; false for "custom" and unknown names.
    static bool planFrequencies(const QString& plan, PlanFrequencies* frequencies);

    explicit CFreqPlanSettingsField(QWidget* parent = nullptr);

    SettStruct getSettings() const;
    // Frequencies and channels are written first, then the plan is chosen by its text: a plan
    // other than the current one replaces the frequencies with its own.
    void setSettings(const SettStruct& settings);

private:
    void applyPlan(const QString& plan);
    void writeFrequencies(const PlanFrequencies& frequencies);
    void setFrequencyEditsEnabled(bool enabled);

    QComboBox* m_planBox = nullptr;
    std::array<QLineEdit*, 5> m_freqEdits{};
    QLineEdit* m_rx2Edit = nullptr;
    std::array<QCheckBox*, channelCount> m_channelBoxes{};
};
