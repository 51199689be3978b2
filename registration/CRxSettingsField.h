#pragma once

#include "registration/CAbstatractSettingsField.h"

#include <QCoreApplication>

class QComboBox;

// The device's receive windows: which window it answers in, the delays and the RX2 data rate.
class CRxSettingsField : public CAbstatractSettingsField
{
    Q_DECLARE_TR_FUNCTIONS(CRxSettingsField)
public:
    struct SettStruct
    {
        bool enabled = false;
        qint32 delayRx1 = 0;
        qint32 rxWindow = 0;
        qint32 drRx2 = 0;
        qint32 delayJoin1 = 0;
    };

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
