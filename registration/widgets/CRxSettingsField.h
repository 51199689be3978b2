#pragma once

#include "foundation/widgets/CAbstatractSettingsField.h"
#include "registration/LoRaSettings.h"

#include <QCoreApplication>

class QComboBox;

// The device's receive windows: which window it answers in, the delays and the RX2 data rate.
class CRxSettingsField : public CAbstatractSettingsField
{
    Q_DECLARE_TR_FUNCTIONS(CRxSettingsField)
public:
    using SettStruct = RxSettings;

    explicit CRxSettingsField(QWidget* parent = nullptr);

    SettStruct getSettings() const;
    // Writes the values; a value outside a list leaves that combo without a current item.
    void setSettings(const SettStruct& settings);

private:
    QComboBox* addComboRow(const QString& label, const QString& objectName);

    QComboBox* m_rxWindowBox = nullptr;
    QComboBox* m_delayRx1Box = nullptr;
    QComboBox* m_drRx2Box = nullptr;
    QComboBox* m_delayJoinBox = nullptr;
};
