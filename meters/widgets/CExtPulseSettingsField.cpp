#include "meters/widgets/CExtPulseSettingsField.h"

#include "foundation/widgets/WidgetHelpers.h"

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// Swatch colours of the channel, codes 1 to 11 in this order.
const char* const channelColours[] = {"#8340f7", "#0bbce2", "#00d6c1", "#4b68f9", "#d8c100", "#aa00ff",
                                      "#00aba9", "#f472d0", "#a20025", "#f0a30a", "#a4c400"};
constexpr int swatchSize = 100;

// Selects the item whose code equals the value; without such an item none is current.
void selectCode(QComboBox* combo, double code)
{
    combo->setCurrentIndex(combo->findData(code));
}

double currentCode(const QComboBox* combo)
{
    return combo->currentData().toDouble();
}

} // namespace

CExtPulseSettingsField::CExtPulseSettingsField(QWidget* parent) : CAbstatractSettingsField(parent)
{
    registerPulseSettingsMetaTypes();
    setGrName(tr("Дополнительные настройки"));

    m_addressLevel1 = addLineEdit(tr("Адрес"), "address_level_1");
    m_nameLevel1 = addLineEdit(tr("Имя объекта"), "name_level_1");
    m_level2 = addLineEdit(tr("Помещение"), "level_2");
    m_name = addLineEdit(tr("Пользовательское имя"), "name");
    m_infoChannel = addLineEdit(tr("Информация/комментарий"), "info_channel");
    m_ia = addLineEdit(tr("Индивидуальный адрес"), "ia");
    m_serial = addLineEdit(tr("Заводской номер"), "serial");

    m_lastDate = new QDateTimeEdit(this);
    m_lastDate->setObjectName(QStringLiteral("last_date"));
    QHBoxLayout* row = WIDGET::prepareInnerHLayout(innerLayout());
    row->addWidget(new QLabel(tr("Дата поверки"), this));
    row->addWidget(m_lastDate);
    connect(m_lastDate, &QDateTimeEdit::dateTimeChanged, this, &CAbstatractSettingsField::edited);

    m_calibInterval = new QSpinBox(this);
    m_calibInterval->setObjectName(QStringLiteral("calib_interval"));
    row = WIDGET::prepareInnerHLayout(innerLayout());
    row->addWidget(new QLabel(tr("Межповерочный интервал, лет"), this));
    row->addWidget(m_calibInterval);
    connect(m_calibInterval, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &CAbstatractSettingsField::edited);

    m_personalNum = addLineEdit(tr("Номер лицевого счета"), "personal_num");
    m_model = addLineEdit(tr("Модель"), "model");

    m_countRate = new QSpinBox(this);
    m_countRate->setObjectName(QStringLiteral("count_rate"));
    m_countRate->setRange(1, 4);
    row = WIDGET::prepareInnerHLayout(innerLayout());
    row->addWidget(new QLabel(tr("Количество тарифов"), this));
    row->addWidget(m_countRate);
    connect(m_countRate, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &CAbstatractSettingsField::edited);

    m_countPhase = addComboBox(tr("Количество фаз"), "count_phase");
    m_water = addComboBox(tr("Вода"), "water");
    m_telephones = addLineEdit(tr("Перечень телефонов"), "telephones");
    m_emails = addLineEdit(tr("Перечень email"), "emails");
    m_telegramChats = addLineEdit(tr("Перечень telegram"), "telegram_chats");
    m_messageSms = addLineEdit(tr("Текс смс сообщений"), "message_sms");
    m_messageMessenger = addLineEdit(tr("Текст сообщений"), "message_messenger");
    m_voiceMessage = addLineEdit(tr("Текст голосовых сообщений"), "voice_message");

    m_sms = addCheckBox(tr("Отправка SMS о тревогах"), "sms");
    m_email = addCheckBox(tr("Отправка email о тревогах"), "email");
    m_telegram = addCheckBox(tr("Отправка телеграм сообщений о тревогах"), "telegram");
    m_voice = addCheckBox(tr("Отправка голосовых сообщений о тревогах"), "voice");
    m_enableDanger = addCheckBox(tr("Включить уведомления о тревогах"), "enable_danger");
    m_userMessageDanger = addCheckBox(tr("Отправка настраиваемых сообщений"), "user_message_danger");
    m_appMessageDanger =
        addCheckBox(tr("Отправка сообщений предустановленного формата"), "app_message_danger");
    m_displayPowerProfile = addCheckBox(tr("Отображать профиль мощности"), "display_power_profile");
    m_relay = addCheckBox(tr("Наличие реле"), "relay");

    m_typeMeter = addComboBox(tr("Отображать как"), "type_meter");
    m_status = addComboBox(tr("Статус"), "status");
    m_color = addComboBox(tr("Цвет"), "color");
    fillComboBoxes();

    setDefaultSettings();
}

QLineEdit* CExtPulseSettingsField::addLineEdit(const QString& label, const char* objectName)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(objectName));
    QHBoxLayout* row = WIDGET::prepareInnerHLayout(innerLayout());
    row->addWidget(new QLabel(label, this));
    row->addWidget(edit);
    connect(edit, &QLineEdit::textEdited, this, &CAbstatractSettingsField::edited);
    return edit;
}

QComboBox* CExtPulseSettingsField::addComboBox(const QString& label, const char* objectName)
{
    auto* combo = new QComboBox(this);
    combo->setObjectName(QLatin1String(objectName));
    QHBoxLayout* row = WIDGET::prepareInnerHLayout(innerLayout());
    row->addWidget(new QLabel(label, this));
    row->addWidget(combo);
    connect(combo, QOverload<int>::of(&QComboBox::activated), this, &CAbstatractSettingsField::edited);
    return combo;
}

QCheckBox* CExtPulseSettingsField::addCheckBox(const QString& text, const char* objectName)
{
    auto* box = new QCheckBox(text, this);
    box->setObjectName(QLatin1String(objectName));
    WIDGET::prepareInnerHLayout(innerLayout())->addWidget(box);
    connect(box, &QAbstractButton::toggled, this, &CAbstatractSettingsField::edited);
    return box;
}

void CExtPulseSettingsField::fillComboBoxes()
{
    m_countPhase->addItem(tr("Однофазный"), 1);
    m_countPhase->addItem(tr("Трехфазный"), 3);

    m_water->addItem(tr("Горячая"), 1);
    m_water->addItem(tr("Холодная"), 2);

    const QString mercury = tr("Меркурий %1");
    m_typeMeter->addItem(tr("другой"), 0);
    m_typeMeter->addItem(tr("ЦЭ 2726А"), 1);
    m_typeMeter->addItem(tr("ЦЭ 2727А"), 2);
    m_typeMeter->addItem(mercury.arg(QStringLiteral("206")), 3);
    m_typeMeter->addItem(mercury.arg(QStringLiteral("200.02")), 4);
    m_typeMeter->addItem(tr("Топаз 104/105"), 5);
    m_typeMeter->addItem(tr("Меркурий 206 (Инкотекс)"), 6);
    const char* const laterMercuries[] = {"203.2TD", "204", "208", "230", "231", "233", "234", "236", "238"};
    int code = 7;
    for (const char* model : laterMercuries)
        m_typeMeter->addItem(mercury.arg(QLatin1String(model)), code++);

    m_status->addItem(tr("В эксплуатации"), 1);
    m_status->addItem(tr("Не активно"), 2);
    m_status->addItem(tr("На ремонте"), 3);
    m_status->addItem(tr("Тестируется"), 4);

    code = 1;
    for (const char* colour : channelColours) {
        QPixmap swatch(swatchSize, swatchSize);
        swatch.fill(QColor(QLatin1String(colour)));
        m_color->addItem(QIcon(swatch), QString(), code++);
    }
}

CExtPulseSettingsField::SettStruct CExtPulseSettingsField::getSettings()
{
    SettStruct set;
    set.address_level_1 = m_addressLevel1->text();
    set.name_level_1 = m_nameLevel1->text();
    set.level_2 = m_level2->text();
    set.name = m_name->text();
    set.info_channel = m_infoChannel->text();
    set.last_date = double(m_lastDate->dateTime().toMSecsSinceEpoch());
    set.calib_interval = m_calibInterval->value();
    set.personal_num = m_personalNum->text();
    set.model = m_model->text();
    set.count_rate = m_countRate->value();
    set.count_phase = currentCode(m_countPhase);
    set.telephones = m_telephones->text();
    set.emails = m_emails->text();
    set.telegram_chats = m_telegramChats->text();
    set.message_sms = m_messageSms->text();
    set.message_messenger = m_messageMessenger->text();
    set.voice_message = m_voiceMessage->text();
    set.ia = m_ia->text();
    set.serial = m_serial->text();
    set.sms = m_sms->isChecked();
    set.email = m_email->isChecked();
    set.telegram = m_telegram->isChecked();
    set.voice = m_voice->isChecked();
    set.enable_danger = m_enableDanger->isChecked();
    set.display_power_profile = m_displayPowerProfile->isChecked();
    set.relay = m_relay->isChecked();
    set.type_meter = currentCode(m_typeMeter);
    // type_channel, num_channel and kt have no editor and keep the record's values.
    set.status = currentCode(m_status);
    set.color = m_color->currentData().toInt();
    set.user_message_danger = m_userMessageDanger->isChecked();
    set.app_message_danger = m_appMessageDanger->isChecked();
    set.water = currentCode(m_water);
    set.enabled = isGroupEnabled();
    return set;
}

void CExtPulseSettingsField::settSettings(SettStruct optSet)
{
    m_addressLevel1->setText(optSet.address_level_1);
    m_nameLevel1->setText(optSet.name_level_1);
    m_level2->setText(optSet.level_2);
    m_name->setText(optSet.name);
    m_infoChannel->setText(optSet.info_channel);
    m_lastDate->setDateTime(QDateTime::fromMSecsSinceEpoch(qint64(optSet.last_date)));
    m_calibInterval->setValue(int(optSet.calib_interval));
    m_personalNum->setText(optSet.personal_num);
    m_model->setText(optSet.model);
    m_countRate->setValue(int(optSet.count_rate));
    selectCode(m_countPhase, optSet.count_phase);
    m_telephones->setText(optSet.telephones);
    m_emails->setText(optSet.emails);
    m_telegramChats->setText(optSet.telegram_chats);
    m_messageSms->setText(optSet.message_sms);
    m_messageMessenger->setText(optSet.message_messenger);
    m_voiceMessage->setText(optSet.voice_message);
    m_ia->setText(optSet.ia);
    m_serial->setText(optSet.serial);
    m_sms->setChecked(optSet.sms);
    m_email->setChecked(optSet.email);
    m_telegram->setChecked(optSet.telegram);
    m_voice->setChecked(optSet.voice);
    m_enableDanger->setChecked(optSet.enable_danger);
    m_displayPowerProfile->setChecked(optSet.display_power_profile);
    m_relay->setChecked(optSet.relay);
    selectCode(m_typeMeter, optSet.type_meter);
    selectCode(m_status, optSet.status);
    selectCode(m_color, optSet.color);
    m_userMessageDanger->setChecked(optSet.user_message_danger);
    m_appMessageDanger->setChecked(optSet.app_message_danger);
    selectCode(m_water, optSet.water);
}

void CExtPulseSettingsField::setDefaultSettings()
{
    settSettings(SettStruct());
}

void CExtPulseSettingsField::checkDeviceType(int type)
{
    QWidget* const typeDependent[] = {m_water, m_countPhase, m_countRate, m_typeMeter, m_displayPowerProfile,
                                      m_relay, m_serial,     m_ia};
    for (QWidget* input : typeDependent)
        input->setEnabled(false);

    switch (type) {
    case PulseDeviceType::ce2726Family:
    case PulseDeviceType::mercury203Family:
        m_countPhase->setEnabled(true);
        m_countRate->setEnabled(true);
        m_typeMeter->setEnabled(true);
        m_displayPowerProfile->setEnabled(true);
        m_relay->setEnabled(true);
        break;
    case PulseDeviceType::spbzip:
        // The SpbZIP meter is always set to four tariffs.
        m_countPhase->setEnabled(true);
        m_displayPowerProfile->setEnabled(true);
        m_relay->setEnabled(true);
        m_serial->setEnabled(true);
        m_ia->setEnabled(true);
        m_countRate->setValue(4);
        break;
    case PulseDeviceType::betarSve:
        // A water meter has no relay.
        m_water->setEnabled(true);
        m_relay->setChecked(false);
        break;
    default:
        break;
    }
}
