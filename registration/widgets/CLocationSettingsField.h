#pragma once

#include "foundation/widgets/CAbstatractSettingsField.h"
#include "registration/LoRaSettings.h"

#include <QCoreApplication>

class QLineEdit;

// The device's position: latitude, longitude (both unsigned, two decimals) and altitude in metres.
class CLocationSettingsField : public CAbstatractSettingsField
{
    Q_DECLARE_TR_FUNCTIONS(CLocationSettingsField)
public:
    using SettStruct = LocationSettings;

    // What the edits accept: a latitude up to 99.99 (the page limits it to 90 when sending),
    // a longitude of up to three integer digits, at most 180.00, and up to nine altitude digits.
    static const QString latitudePattern;
    static const QString longitudePattern;
    static const QString altitudePattern;

    explicit CLocationSettingsField(QWidget* parent = nullptr);

    SettStruct getSettings() const;
    void setSettings(const SettStruct& settings);

private:
    QLineEdit* addEditRow(const QString& label, const QString& objectName, const QString& pattern);

    QLineEdit* m_latitudeEdit = nullptr;
    QLineEdit* m_longitudeEdit = nullptr;
    QLineEdit* m_altitudeEdit = nullptr;
};
