#pragma once

#include "foundation/widgets/CAbstatractSettingsField.h"
#include "registration/LoRaSettings.h"

#include <QCoreApplication>

class QCheckBox;
class QLineEdit;

// Settings that only a class C device uses. Hidden until the operator chooses class C.
class CSettingsClassCDeviceField : public CAbstatractSettingsField
{
    Q_DECLARE_TR_FUNCTIONS(CSettingsClassCDeviceField)
public:
    using SettStruct = ClassCSettings;

    explicit CSettingsClassCDeviceField(QWidget* parent = nullptr);

    SettStruct getSettings() const;
    void setSettings(const SettStruct& settings);

    // The operator chose a class in the device group: shown for "Class C", hidden otherwise.
    // The values stay as they are while the group is hidden.
    void showForClass(const QString& classText);

private:
    QLineEdit* m_reactionTimeEdit = nullptr;
    QCheckBox* m_downlinkQueueBox = nullptr;
};
