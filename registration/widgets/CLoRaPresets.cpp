#include "registration/widgets/CLoRaPresets.h"

#include "foundation/CSettings.h"
#include "foundation/DebugLog.h"
#include "foundation/widgets/WidgetHelpers.h"
#include "registration/LoRaPresetJson.h"
#include "registration/PresetsBackup.h"
#include "registration/widgets/CExpertSettingsField.h"
#include "registration/widgets/COptionalSettingsField.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QVBoxLayout>

const QString CLoRaPresets::customItem = QStringLiteral("custom");

namespace {

// The first item's text in both languages: it never names a preset.
const char* const firstItemSource = QT_TRANSLATE_NOOP("CLoRaPresets", "Список готовых настроек");
const QString firstItemEnglish = QStringLiteral("List of presets");

QString storedPresetsText()
{
    return CSettings::readValue(CSettings::loraPresets, QString()).toString();
}

} // namespace

CLoRaPresets::CLoRaPresets(CExpertSettingsField* expert, COptionalSettingsField* optional, QWidget* parent)
    : QWidget(parent), m_expert(expert), m_optional(optional)
{
    setObjectName(QStringLiteral("loraPresets"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(2);

    m_presetsBox = new QComboBox;
    m_presetsBox->setObjectName(QStringLiteral("presetsBox"));
    m_presetsBox->addItem(firstItemText());
    m_presetsBox->addItem(customItem);
    WIDGET::prepareInnerHLayout(layout)->addWidget(m_presetsBox);

    m_nameEdit = new QLineEdit;
    m_nameEdit->setObjectName(QStringLiteral("presetNameEdit"));
    m_nameEdit->setPlaceholderText(tr("Имя пресета"));
    m_saveButton = new QPushButton(tr("Сохранить"));
    m_saveButton->setObjectName(QStringLiteral("savePresetButton"));
    QHBoxLayout* saveRow = WIDGET::prepareInnerHLayout(layout);
    saveRow->addWidget(m_nameEdit);
    saveRow->addWidget(m_saveButton);
    m_nameEdit->hide();
    m_saveButton->hide();

    m_problemLabel = new QLabel;
    m_problemLabel->setObjectName(QStringLiteral("presetsProblemLabel"));
    m_problemLabel->setWordWrap(true);
    m_problemLabel->setStyleSheet(QStringLiteral("color: rgb(255,0,0)"));
    m_problemLabel->hide();
    WIDGET::prepareInnerHLayout(layout)->addWidget(m_problemLabel);

    if (m_expert)
        connect(m_expert, &CAbstatractSettingsField::edited, this, &CLoRaPresets::compareExpertWithPreset);
    if (m_optional)
        connect(m_optional, &CAbstatractSettingsField::edited, this,
                &CLoRaPresets::compareOptionalWithPreset);
    // The box reports its index change before its text change: the visibility handler has the last word.
    connect(m_presetsBox, &QComboBox::currentTextChanged, this, &CLoRaPresets::expandGroups);
    connect(m_presetsBox, &QComboBox::currentTextChanged, this, &CLoRaPresets::showNameEditForCustom);
    connect(m_presetsBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CLoRaPresets::changePresets);
    connect(m_saveButton, &QPushButton::clicked, this, &CLoRaPresets::createPreset);
}

QString CLoRaPresets::firstItemText() const
{
    return tr(firstItemSource);
}

void CLoRaPresets::iniPresets(QString presets)
{
    const bool customWasCurrent = m_presetsBox->currentText() == customItem;
    const LoRaPresetJson::Stored checked = LoRaPresetJson::checkStored(presets);
    if (checked.refused()) {
        m_problemLabel->setText(problemText(checked));
        m_problemLabel->show();
        m_showsUnreadable = true;
    } else if (m_showsUnreadable) {
        m_problemLabel->hide();
        m_showsUnreadable = false;
    }
    // Nothing stored, or not a list: the box keeps what it holds.
    const QJsonArray stored = checked.presets;
    if (stored.isEmpty())
        return;

    // Rebuilt quietly: taking "custom" out must not make another preset current and apply it.
    const QSignalBlocker blocker(m_presetsBox);
    const int customIndex = m_presetsBox->findText(customItem, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (customIndex >= 0)
        m_presetsBox->removeItem(customIndex);
    for (const QString& name : LoRaPresetJson::presetNames(stored)) {
        if (m_presetsBox->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
            m_presetsBox->addItem(name);
    }
    m_presetsBox->addItem(customItem);
    if (customWasCurrent)
        m_presetsBox->setCurrentIndex(m_presetsBox->count() - 1);
}

void CLoRaPresets::findPreset(QString presetName)
{
    DEBUG_LOG << "IN";
    const QJsonArray stored = LoRaPresetJson::readStored(storedPresetsText());
    const QScopedValueRollback<bool> applying(m_applyingPreset, true);
    for (const QJsonValue& element : stored) {
        const QJsonObject preset = element.toObject();
        if (preset.value(LoRaPresetKey::preset).toString() != presetName)
            continue;
        const QJsonObject settings = preset.value(LoRaPresetKey::settings).toObject();
        if (m_expert) {
            CExpertSettingsField::SettStruct expert = m_expert->getSettings();
            LoRaPresetJson::readExpert(settings, &expert);
            m_expert->setSettings(expert);
        }
        if (m_optional) {
            // The class C settings are not part of a preset: only the device and plan groups are written.
            COptionalSettingsField::SettStruct optional = m_optional->getSettings();
            LoRaPresetJson::readOptional(settings, &optional);
            m_optional->deviceField()->setSettings(optional.device);
            m_optional->freqPlanField()->setSettings(optional.freqPlan);
        }
    }
    DEBUG_LOG << "OUT";
}

void CLoRaPresets::changePresets()
{
    const QString text = m_presetsBox->currentText();
    if (m_presetsBox->currentIndex() <= 0 || text == customItem || text == firstItemText() ||
        text == QString::fromUtf8(firstItemSource) || text == firstItemEnglish) {
        m_saveButton->show();
        m_nameEdit->show();
        return;
    }
    m_currentPresetName = text;
    m_currentPresetIndex = m_presetsBox->currentIndex();
    m_nameEdit->hide();
    m_saveButton->hide();
    findPreset(text);
}

QJsonObject CLoRaPresets::prepareJsonObjPreset()
{
    const CExpertSettingsField::SettStruct expert =
        m_expert ? m_expert->getSettings() : CExpertSettingsField::SettStruct();
    const COptionalSettingsField::SettStruct optional =
        m_optional ? m_optional->getSettings() : COptionalSettingsField::SettStruct();
    return LoRaPresetJson::makeElement(m_nameEdit->text(), expert, optional);
}

void CLoRaPresets::createPreset()
{
    const QString name = m_nameEdit->text();
    if (name.isEmpty()) {
        QMessageBox::warning(this, tr("Имя пресета"), QStringLiteral("Empty preset name"));
        return;
    }

    const QString storedText = storedPresetsText();
    QJsonArray presets;
    if (storedText.isEmpty()) {
        DEBUG_LOG << "Пресетов нет";
    } else {
        DEBUG_LOG << "Пресеты есть";
        presets = LoRaPresetJson::readStored(storedText);
        if (presets.isEmpty())
            DEBUG_LOG << "stored presets are not a list and are replaced:" << DebugLog::brief(storedText);
        const int existing = LoRaPresetJson::lastIndexOf(presets, name);
        if (existing >= 0) {
            const QString question =
                name + QStringLiteral(" already exist!\nDo you want to rewrite your changes for preset ") +
                name + QStringLiteral(" ?");
            const QMessageBox::StandardButton answer =
                QMessageBox::warning(this, QStringLiteral("Repetition preset name"), question,
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
            if (answer != QMessageBox::Yes)
                return;
            presets.removeAt(existing);
            presets.append(prepareJsonObjPreset());
            storePresets(presets);
            iniPresets(storedPresetsText());
            return;
        }
    }

    presets.append(prepareJsonObjPreset());
    if (!storePresets(presets))
        return;
    iniPresets(storedPresetsText());
    const QMessageBox::StandardButton answer = QMessageBox::information(
        this, QStringLiteral("Success created!"), QStringLiteral("Do you want to change this preset?"),
        QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::Yes)
        m_presetsBox->setCurrentIndex(
            m_presetsBox->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

QString CLoRaPresets::problemText(const LoRaPresetJson::Stored& stored)
{
    using Problem = LoRaPresetJson::Stored::Problem;
    QString reason;
    switch (stored.problem) {
    case Problem::repeatedKey:
        reason = tr("ключ \"%1\" повторяется").arg(stored.repeatedKey);
        break;
    case Problem::notArray:
        reason = tr("это не список");
        break;
    case Problem::notJson:
    case Problem::none:
        reason = tr("это не JSON");
        break;
    }
    return tr("Сохранённые пресеты не удалось прочитать (%1). Их текст остаётся в файле настроек и будет "
              "скопирован в отдельный файл перед первым сохранением пресета.")
        .arg(reason);
}

bool CLoRaPresets::keepUnreadableStoredText()
{
    const QString storedText = storedPresetsText();
    if (!LoRaPresetJson::checkStored(storedText).refused())
        return true;
    const QString backup = PresetsBackup::keep(storedText, CSettings::instance()->filePath());
    if (backup.isEmpty()) {
        QMessageBox::warning(this, tr("Имя пресета"),
                             tr("Не удалось сохранить копию прежних пресетов рядом с файлом настроек: пресет "
                                "не сохранён, прежний текст оставлен как есть."));
        return false;
    }
    m_problemLabel->setText(tr("Прежний текст пресетов, который не удалось прочитать, сохранён в файл %1.")
                                .arg(QDir::toNativeSeparators(backup)));
    m_problemLabel->show();
    m_showsUnreadable = false;
    return true;
}

bool CLoRaPresets::storePresets(const QJsonArray& presets)
{
    if (!keepUnreadableStoredText())
        return false;
    // The store keeps the value in memory even when the disk refuses it.
    if (CSettings::writeValue(CSettings::loraPresets, LoRaPresetJson::toStoredText(presets)))
        return true;
    DEBUG_LOG << "presets not written to" << CSettings::instance()->filePath();
    // Still usable in this run: list it, and tell the operator it will not survive a restart.
    iniPresets(storedPresetsText());
    QMessageBox::warning(this, tr("Имя пресета"),
                         tr("Не удалось записать пресеты в файл настроек: они сохранятся только до "
                            "закрытия программы."));
    return false;
}

bool CLoRaPresets::comparisonApplies() const
{
    return !m_applyingPreset && !m_currentPresetName.isEmpty() && m_presetsBox->currentIndex() != 0;
}

void CLoRaPresets::compareExpertWithPreset()
{
    if (!comparisonApplies() || !m_expert)
        return;
    DEBUG_LOG << "что-то изменилось в экспертных настрйоках" << m_currentPresetName;
    followComparison(LoRaPresetJson::expertDifference(m_expert->getSettings(), currentPresetSettings()));
}

void CLoRaPresets::compareOptionalWithPreset()
{
    if (!comparisonApplies() || !m_optional)
        return;
    DEBUG_LOG << "что-то изменилось в опциональных настройках" << m_currentPresetName;
    followComparison(LoRaPresetJson::optionalDifference(m_optional->getSettings(), currentPresetSettings()));
}

QJsonObject CLoRaPresets::currentPresetSettings() const
{
    return LoRaPresetJson::lastSettingsOf(LoRaPresetJson::readStored(storedPresetsText()),
                                          m_currentPresetName);
}

void CLoRaPresets::followComparison(const LoRaPresetJson::Difference& difference)
{
    if (difference.found()) {
        DEBUG_LOG << difference.tag << "current: " << difference.current << "saved: " << difference.saved;
        switchToCustom();
    } else {
        restorePreset();
    }
}

void CLoRaPresets::switchToCustom()
{
    m_presetsBox->setCurrentIndex(
        m_presetsBox->findText(customItem, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void CLoRaPresets::restorePreset()
{
    DEBUG_LOG << "все ок, вернул пресет";
    m_presetsBox->setCurrentIndex(m_currentPresetIndex);
}

void CLoRaPresets::showNameEditForCustom(const QString& currentText)
{
    const bool custom = currentText == customItem;
    m_nameEdit->setVisible(custom);
    m_saveButton->setVisible(custom);
}

void CLoRaPresets::expandGroups()
{
    if (m_expert)
        m_expert->expandAll();
    if (m_optional)
        m_optional->expandAll();
}
