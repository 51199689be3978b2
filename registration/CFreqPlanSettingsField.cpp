#include "registration/CFreqPlanSettingsField.h"

#include "app/WidgetHelpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegExpValidator>
#include <QVBoxLayout>

namespace {

const QString frequencyPattern = QStringLiteral("[0-9\\d]{0,9}");
constexpr int channelFrequencyEditWidth = 250;

} // namespace

const QString CFreqPlanSettingsField::customPlan = QStringLiteral("custom");

QStringList CFreqPlanSettingsField::planNames()
{
    return {QStringLiteral("RU868"), QStringLiteral("EU868"), QStringLiteral("KZ868"), customPlan};
}

bool CFreqPlanSettingsField::planFrequencies(const QString& plan, PlanFrequencies* frequencies)
{
    PlanFrequencies found;
    if (plan == QLatin1String("RU868"))
        found = {{864100000, 864300000, 864500000, 864700000, 864900000}, 869100000};
    else if (plan == QLatin1String("EU868"))
        found = {{867100000, 867300000, 867500000, 867700000, 867900000}, 869525000};
    else if (plan == QLatin1String("KZ868"))
        found = {{867100000, 867300000, 867500000, 867700000, 867900000}, 867500000};
    else
        return false;
    if (frequencies)
        *frequencies = found;
    return true;
}

CFreqPlanSettingsField::CFreqPlanSettingsField(QWidget* parent) : CAbstatractSettingsField(parent)
{
    setObjectName(QStringLiteral("freqPlanSettings"));
    setGrName(tr("Частотный план"));

    m_planBox = new QComboBox;
    m_planBox->setObjectName(QStringLiteral("planBox"));
    m_planBox->addItems(planNames());
    QHBoxLayout* planRow = WIDGET::prepareInnerHLayout(innerLayout());
    planRow->addWidget(new QLabel(tr("Частотный план")));
    planRow->addWidget(m_planBox);

    auto* table = new QGridLayout;
    table->setContentsMargins(1, 1, 1, 1);
    table->setSpacing(2);
    table->addWidget(new QLabel(QStringLiteral("№")), 0, 0);
    table->addWidget(new QLabel(tr("Частота")), 0, 1);
    table->addWidget(new QLabel(tr("Активно")), 0, 2);
    for (int channel = 1; channel <= channelCount; ++channel) {
        table->addWidget(new QLabel(QString::number(channel)), channel, 0);
        if (channel < firstEditableChannel) {
            table->addWidget(new QLabel(QStringLiteral("FIXED")), channel, 1);
        } else {
            auto* edit = new QLineEdit;
            edit->setObjectName(QStringLiteral("freqEdit%1").arg(channel));
            edit->setValidator(new QRegExpValidator(QRegExp(frequencyPattern), edit));
            edit->setFixedWidth(channelFrequencyEditWidth);
            connect(edit, &QLineEdit::textEdited, this, &CAbstatractSettingsField::edited);
            m_freqEdits[size_t(channel - firstEditableChannel)] = edit;
            table->addWidget(edit, channel, 1);
        }
        auto* box = new QCheckBox;
        box->setObjectName(QStringLiteral("channelBox%1").arg(channel));
        box->setChecked(true);
        connect(box, &QCheckBox::toggled, this, &CAbstatractSettingsField::edited);
        m_channelBoxes[size_t(channel - 1)] = box;
        table->addWidget(box, channel, 2);
    }
    appendLayout(table);

    m_rx2Edit = new QLineEdit;
    m_rx2Edit->setObjectName(QStringLiteral("freqRx2Edit"));
    m_rx2Edit->setValidator(new QRegExpValidator(QRegExp(frequencyPattern), m_rx2Edit));
    connect(m_rx2Edit, &QLineEdit::textEdited, this, &CAbstatractSettingsField::edited);
    QHBoxLayout* rx2Row = WIDGET::prepareInnerHLayout(innerLayout());
    rx2Row->addWidget(new QLabel(tr("RX2 Частота, Hz")));
    rx2Row->addWidget(m_rx2Edit);

    PlanFrequencies ru868;
    planFrequencies(QStringLiteral("RU868"), &ru868);
    writeFrequencies(ru868);
    setFrequencyEditsEnabled(false);
    m_planBox->setCurrentIndex(0);
    applyPlan(m_planBox->currentText());

    connect(m_planBox, &QComboBox::currentTextChanged, this, &CFreqPlanSettingsField::applyPlan);
    connect(m_planBox, QOverload<int>::of(&QComboBox::activated), this, &CAbstatractSettingsField::edited);
}

void CFreqPlanSettingsField::applyPlan(const QString& plan)
{
    setFrequencyEditsEnabled(false);
    PlanFrequencies frequencies;
    if (planFrequencies(plan, &frequencies))
        writeFrequencies(frequencies);
    else if (plan == customPlan)
        setFrequencyEditsEnabled(true);
    // Any other text (a stored plan that is not in the list) keeps the frequencies as they are.
    emit edited();
}

void CFreqPlanSettingsField::writeFrequencies(const PlanFrequencies& frequencies)
{
    for (size_t i = 0; i < m_freqEdits.size(); ++i)
        m_freqEdits[i]->setText(QString::number(frequencies.channels[i]));
    m_rx2Edit->setText(QString::number(frequencies.rx2));
}

void CFreqPlanSettingsField::setFrequencyEditsEnabled(bool enabled)
{
    for (QLineEdit* edit : m_freqEdits)
        edit->setEnabled(enabled);
    m_rx2Edit->setEnabled(enabled);
}

CFreqPlanSettingsField::SettStruct CFreqPlanSettingsField::getSettings() const
{
    SettStruct settings;
    settings.enabled = isInUse();
    settings.freq4 = m_freqEdits[0]->text().toInt();
    settings.freq5 = m_freqEdits[1]->text().toInt();
    settings.freq6 = m_freqEdits[2]->text().toInt();
    settings.freq7 = m_freqEdits[3]->text().toInt();
    settings.freq8 = m_freqEdits[4]->text().toInt();
    settings.freqRx2 = m_rx2Edit->text().toInt();
    settings.plan = m_planBox->currentText();
    for (size_t i = 0; i < m_channelBoxes.size(); ++i)
        settings.channelEn[i] = m_channelBoxes[i]->isChecked();
    return settings;
}

void CFreqPlanSettingsField::setSettings(const SettStruct& settings)
{
    const qint32 frequencies[] = {settings.freq4, settings.freq5, settings.freq6, settings.freq7,
                                  settings.freq8};
    for (size_t i = 0; i < m_freqEdits.size(); ++i)
        m_freqEdits[i]->setText(QString::number(frequencies[i]));
    m_rx2Edit->setText(QString::number(settings.freqRx2));
    for (size_t i = 0; i < m_channelBoxes.size(); ++i)
        m_channelBoxes[i]->setChecked(settings.channelEn[i]);
    m_planBox->setCurrentIndex(m_planBox->findText(settings.plan, Qt::MatchExactly | Qt::MatchCaseSensitive));
}
