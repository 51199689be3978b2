#include "registration/widgets/CLocationSettingsField.h"

#include "foundation/widgets/WidgetHelpers.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegExpValidator>
#include <QVBoxLayout>

const QString CLocationSettingsField::latitudePattern = QStringLiteral("[0-9]([0-9]{0,1}[.])[0-9]{0,2}");
// Longitudes east of 99.99 degrees are common where the tool is used: three integer digits,
// at most 180 with two decimals.
const QString CLocationSettingsField::longitudePattern =
    QStringLiteral("180([.]0{0,2})?|(1[0-7][0-9]|[0-9]{1,2})([.][0-9]{0,2})?");
const QString CLocationSettingsField::altitudePattern = QStringLiteral("[0-9\\d]{0,9}");

CLocationSettingsField::CLocationSettingsField(QWidget* parent) : CAbstatractSettingsField(parent)
{
    setObjectName(QStringLiteral("locationSettings"));
    setGrName(tr("Расположение"));

    m_latitudeEdit = addEditRow(tr("Широта"), QStringLiteral("latitudeEdit"), latitudePattern);
    m_latitudeEdit->setPlaceholderText(tr("Максимум 90.00"));
    m_longitudeEdit = addEditRow(tr("Долгота"), QStringLiteral("longitudeEdit"), longitudePattern);
    m_longitudeEdit->setPlaceholderText(tr("Максимум 180.00"));
    m_altitudeEdit =
        addEditRow(tr("Высота над уровнем моря"), QStringLiteral("altitudeEdit"), altitudePattern);
}

QLineEdit* CLocationSettingsField::addEditRow(const QString& label, const QString& objectName,
                                              const QString& pattern)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(objectName);
    edit->setValidator(new QRegExpValidator(QRegExp(pattern), edit));
    QHBoxLayout* row = WIDGET::prepareInnerHLayout(innerLayout());
    row->addWidget(new QLabel(label));
    row->addWidget(edit);
    connect(edit, &QLineEdit::textEdited, this, &CAbstatractSettingsField::edited);
    return edit;
}

CLocationSettingsField::SettStruct CLocationSettingsField::getSettings() const
{
    SettStruct settings;
    settings.enabled = isInUse();
    settings.altitude = m_altitudeEdit->text().toInt();
    // Read in single precision: stored presets hold exactly these values, so comparing a
    // preset with the edits gives equality whenever the texts are the same.
    settings.longitude = double(m_longitudeEdit->text().toFloat());
    settings.latitude = double(m_latitudeEdit->text().toFloat());
    return settings;
}

void CLocationSettingsField::setSettings(const SettStruct& settings)
{
    m_altitudeEdit->setText(QString::number(settings.altitude));
    m_longitudeEdit->setText(QString::number(settings.longitude));
    m_latitudeEdit->setText(QString::number(settings.latitude));
}
