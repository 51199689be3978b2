#include "registration/widgets/CFreqPlanSettingsField.h"

#include "foundation/widgets/WidgetHelpers.h"

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

CFreqPlanSettingsField::CFreqPlanSettingsField(QWidget* parent) : CAbstatractSettingsField(parent)
{
    setObjectName(QStringLiteral("freqPlanSettings"));
    setGrName(tr("Частотный план"));

    m_planBox = new QComboBox;
    m_planBox->setObjectName(QStringLiteral("planBox"));
    m_planBox->addItems(FrequencyPlans::names());
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

    writeFrequencies(FrequencyPlans::namedPlans().first());
    setFrequencyEditsEnabled(false);
    m_planBox->setCurrentIndex(0);
    applyPlan(m_planBox->currentText());

    connect(m_planBox, &QComboBox::currentTextChanged, this, &CFreqPlanSettingsField::applyPlan);
    connect(m_planBox, QOverload<int>::of(&QComboBox::activated), this, &CAbstatractSettingsField::edited);
}

void CFreqPlanSettingsField::applyPlan(const QString& plan)
{
    setFrequencyEditsEnabled(false);
    if (const FrequencyPlans::Plan* named = FrequencyPlans::find(plan))
        writeFrequencies(*named);
    else if (plan == FrequencyPlans::customName)
        setFrequencyEditsEnabled(true);
    // Any other text (a stored plan that is not in the list) keeps the frequencies as they are.
    emit edited();
}

void CFreqPlanSettingsField::writeFrequencies(const FrequencyPlans::Plan& plan)
{
    for (size_t i = 0; i < m_freqEdits.size(); ++i)
        m_freqEdits[i]->setText(QString::number(plan.channels[i]));
    m_rx2Edit->setText(QString::number(plan.rx2));
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
