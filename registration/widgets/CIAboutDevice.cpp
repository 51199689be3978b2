#include "registration/widgets/CIAboutDevice.h"

#include "downlink/RequestsFileSender.h"
#include "foundation/CSettings.h"
#include "foundation/DebugLog.h"
#include "foundation/widgets/WidgetHelpers.h"
#include "intake/DeviceListModel.h"
#include "intake/ScannedDevices.h"
#include "intake/widgets/DetailsButtonDelegate.h"
#include "meters/PulseAppData.h"
#include "registration/BulkRegistration.h"
#include "registration/DeviceCompletion.h"
#include "registration/widgets/CExpertSettingsField.h"
#include "registration/widgets/CLoRaPresets.h"
#include "registration/widgets/COptionalSettingsField.h"
#include "registration/widgets/CServerDataView.h"
#include "server/CMessageParser.h"
#include "server/CServerClient.h"
#include "server/JsonText.h"
#include "server/Protocol.h"
#include "server/RegistrationStatusText.h"

#include <QCheckBox>
#include <QDate>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {
const QString redStyle = QStringLiteral("color: rgb(255,0,0)");
const QString blackStyle = QStringLiteral("color: rgb(0,0,0)");
const QString invalidCode = QStringLiteral("Invalid QR/Barcode");
// Fixed texts of the page that are never translated.
const QString noConnectionText = QStringLiteral("Нет подлючения к серверу");
const QString notRegisteredText = QStringLiteral("Данное устройство, еще не зарегистрировано на сервере");
const QString registeredText = QStringLiteral("Зарегистрировано");

QScrollArea* scrollable(QWidget* content)
{
    auto* area = new QScrollArea;
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidget(content);
    return area;
}

// Answers after which the device is on the server with what was sent.
bool isSuccess(const QString& status)
{
    return status == Protocol::Status::added || status == Protocol::Status::updated ||
           status == Protocol::Status::nothingToUpdate;
}
} // namespace

CIAboutDevice::CIAboutDevice(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("registrationPage"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("pageTabs"));
    auto* registrationTab = new QWidget;
    auto* registrationLayout = new QHBoxLayout(registrationTab);
    registrationLayout->setContentsMargins(2, 2, 2, 2);
    registrationLayout->setSpacing(4);
    registrationLayout->addWidget(buildSettingsColumn());
    registrationLayout->addWidget(buildCredentialsColumn());
    m_serverData = new CServerDataView;
    QScrollArea* serverDataArea = scrollable(m_serverData);
    serverDataArea->setMinimumWidth(400);
    registrationLayout->addWidget(serverDataArea, 1);
    m_tabs->addTab(registrationTab, tr("Регистрация устройства"));
    m_tabs->addTab(buildTableTab(), tr("Таблица устройств"));
    layout->addWidget(m_tabs);

    m_requestsSender = new RequestsFileSender(this);
    connect(m_requestsSender, &RequestsFileSender::progress, this, &CIAboutDevice::onRequestsProgress);
    connect(m_requestsSender, &RequestsFileSender::finished, this,
            [this](RequestsFileSender::End end, int sent, int skipped) {
                onRequestsFinished(int(end), sent, skipped);
            });

    m_bulk = new BulkRegistration(this);
    connect(m_bulk, &BulkRegistration::finished, this, &CIAboutDevice::onDevicesListFinished);

    CMessageParser* parser = CMessageParser::instance();
    CServerClient* client = CServerClient::instance();
    connect(parser, &CMessageParser::devicesList, this, &CIAboutDevice::fillDeviceTable);
    connect(parser, &CMessageParser::deviceRowsList, this, &CIAboutDevice::fillDeviceRows);
    connect(m_delegate, &DetailsButtonDelegate::deleteDevice, this, &CIAboutDevice::deleteDevice);
    connect(m_autoModeBox, &QCheckBox::toggled, this,
            [this](bool checked) { m_addButton->setEnabled(!checked); });
    connect(m_openRequestsButton, &QPushButton::clicked, this, &CIAboutDevice::open);
    connect(m_stopButton, &QPushButton::clicked, this, [this] {
        m_requestsSender->stop();
        m_stopButton->hide();
    });
    // The presets box compares the groups' edits with the chosen preset itself.
    connect(parser, &CMessageParser::authMsgResp, this, &CIAboutDevice::statusCon);
    connect(client, &CServerClient::hostError, this, &CIAboutDevice::statusCon);
    defaulSettingsWDs();
    connect(m_addButton, &QPushButton::clicked, this, &CIAboutDevice::sendInfoToTheNextStage);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 1)
            refreshDeviceTable();
    });
    connect(parser, &CMessageParser::serverInfoResp, this, [this] {
        // During a list registration the table waits for the run's end.
        if (m_tabs->currentIndex() == 1 && !m_bulk->isRunning())
            refreshDeviceTable();
    });
    connect(parser, &CMessageParser::deviceMbRemoved, this, [this](const QString& status) {
        if (status != Protocol::Status::deleted)
            return;
        CServerClient::instance()->sendMessage(CMessageParser::serverInfoRequest());
        refreshDeviceTable();
    });
    connect(m_tabs, &QTabWidget::currentChanged, this, &CIAboutDevice::clearDevInfoFromServer);
    connect(parser, &CMessageParser::infoDevicesResp, this, &CIAboutDevice::changeDevInfo);
    connect(parser, &CMessageParser::mngDevRespSignal, this, &CIAboutDevice::changePossibleStates);
    // Only what the server reports as added joins the record of this run's devices, and what
    // it reports as deleted leaves it: the top panel's removal must never touch older devices.
    connect(parser, &CMessageParser::mngDevResult, this, &CIAboutDevice::recordAdded);
    connect(parser, &CMessageParser::mngDevsRespSignal, this,
            [this](const QVector<QPair<QString, QString>>& statuses) {
                for (const auto& pair : statuses)
                    recordAdded(pair.first, pair.second);
            });
    connect(parser, &CMessageParser::devicesDeleted, this, &CIAboutDevice::showDeleteStatuses);

    iniPresets(CSettings::readValue(CSettings::loraPresets, QString()).toString());
}

QWidget* CIAboutDevice::buildSettingsColumn()
{
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(2);
    m_expert = new CExpertSettingsField;
    m_optional = new COptionalSettingsField;
    m_pulse = new CPulseSettingsField;
    m_presets = new CLoRaPresets(m_expert, m_optional);
    layout->addWidget(m_presets);
    layout->addWidget(m_expert);
    layout->addWidget(m_optional);
    layout->addWidget(m_pulse);
    layout->addStretch();
    QScrollArea* area = scrollable(column);
    area->setObjectName(QStringLiteral("settingsArea"));
    area->setMinimumWidth(column->sizeHint().width() + 20);
    return area;
}

QLineEdit* CIAboutDevice::addCredentialRow(QGroupBox* group, const QString& caption,
                                           const QString& objectName)
{
    QHBoxLayout* row = WIDGET::prepareInnerHLayout(qobject_cast<QBoxLayout*>(group->layout()));
    auto* label = new QLabel(caption);
    label->setFixedWidth(70);
    auto* edit = new QLineEdit;
    edit->setObjectName(objectName);
    row->addWidget(label);
    row->addWidget(edit);
    if (group == m_mainGroup)
        m_credentialCaptions.append(label);
    return edit;
}

QWidget* CIAboutDevice::buildCredentialsColumn()
{
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(2);

    m_mainGroup = new QGroupBox(tr("Основные данные"));
    m_mainGroup->setObjectName(QStringLiteral("mainGroup"));
    m_mainGroup->setFixedWidth(414);
    new QVBoxLayout(m_mainGroup);
    m_devEuiEdit = addCredentialRow(m_mainGroup, QStringLiteral("DevEui:"), QStringLiteral("devEuiEdit"));
    m_appEuiEdit = addCredentialRow(m_mainGroup, QStringLiteral("AppEui:"), QStringLiteral("appEuiEdit"));
    m_appKeyEdit = addCredentialRow(m_mainGroup, QStringLiteral("AppKey:"), QStringLiteral("appKeyEdit"));
    m_devAddrEdit = addCredentialRow(m_mainGroup, QStringLiteral("DevAddr:"), QStringLiteral("devAddrEdit"));
    m_appSKeyEdit = addCredentialRow(m_mainGroup, QStringLiteral("AppSKey:"), QStringLiteral("appSKeyEdit"));
    m_nwkSKeyEdit = addCredentialRow(m_mainGroup, QStringLiteral("NwkSKEY:"), QStringLiteral("nwkSKeyEdit"));
    layout->addWidget(m_mainGroup);

    m_additionalGroup = new QGroupBox(tr("Дополнительные данные"));
    m_additionalGroup->setObjectName(QStringLiteral("additionalGroup"));
    m_additionalGroup->setFixedWidth(414);
    m_additionalGroup->setCheckable(true);
    m_additionalGroup->setChecked(false);
    new QVBoxLayout(m_additionalGroup);
    m_snEdit = addCredentialRow(m_additionalGroup, QStringLiteral("SN:"), QStringLiteral("snEdit"));
    layout->addWidget(m_additionalGroup);

    QHBoxLayout* addRow = WIDGET::prepareInnerHLayout(layout);
    m_addButton = new QPushButton(tr("&Добавить"));
    m_addButton->setObjectName(QStringLiteral("addButton"));
    m_addButton->setFixedWidth(75);
    m_addButton->setEnabled(false);
    m_autoModeBox = new QCheckBox(tr("Добавлять в автоматическом режиме"));
    m_autoModeBox->setObjectName(QStringLiteral("autoModeBox"));
    addRow->addWidget(m_addButton);
    addRow->addWidget(m_autoModeBox);
    addRow->addStretch();

    m_errorLabel = new QLabel;
    m_errorLabel->setObjectName(QStringLiteral("errorLabel"));
    m_errorLabel->setWordWrap(true);
    m_errorLabel->setFixedWidth(414);
    QFont font = m_errorLabel->font();
    font.setPixelSize(16);
    m_errorLabel->setFont(font);
    m_errorLabel->hide();
    layout->addWidget(m_errorLabel);

    QHBoxLayout* requestsRow = WIDGET::prepareInnerHLayout(layout);
    m_openRequestsButton = new QPushButton(tr("Открыть файл с запросами"));
    m_openRequestsButton->setObjectName(QStringLiteral("openRequestsButton"));
    m_stopButton = new QPushButton(tr("Стоп"));
    m_stopButton->setObjectName(QStringLiteral("stopButton"));
    m_stopButton->hide();
    requestsRow->addWidget(m_openRequestsButton);
    requestsRow->addWidget(m_stopButton);
    requestsRow->addStretch();
    m_requestsStatus = new QLabel;
    m_requestsStatus->setObjectName(QStringLiteral("requestsStatusLabel"));
    m_requestsStatus->setWordWrap(true);
    m_requestsStatus->setFixedWidth(414);
    m_requestsStatus->hide();
    layout->addWidget(m_requestsStatus);
    layout->addStretch();
    return column;
}

QWidget* CIAboutDevice::buildTableTab()
{
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(2, 2, 2, 2);
    m_deleteStatus = new QLabel;
    m_deleteStatus->setObjectName(QStringLiteral("deleteStatusLabel"));
    m_deleteStatus->setWordWrap(true);
    m_deleteStatus->setStyleSheet(redStyle);
    m_deleteStatus->hide();
    layout->addWidget(m_deleteStatus);

    m_deviceTable = new QTableView;
    m_deviceTable->setObjectName(QStringLiteral("deviceTable"));
    m_deviceModel = new DeviceListModel(m_deviceTable);
    m_delegate = new DetailsButtonDelegate(m_deviceTable);
    m_deviceTable->setModel(m_deviceModel);
    m_deviceTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_deviceTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_deviceTable->setMouseTracking(true);
    // A fixed row height keeps a list of many thousand devices quick to show.
    m_deviceTable->verticalHeader()->setDefaultSectionSize(
        m_deviceTable->verticalHeader()->minimumSectionSize());
    m_deviceTable->setColumnWidth(DeviceListModel::nameColumn, 200);
    m_deviceTable->setColumnWidth(DeviceListModel::devEuiColumn, 130);
    m_deviceTable->setColumnWidth(DeviceListModel::actionColumn, 130);
    m_deviceTable->horizontalHeader()->setSectionResizeMode(DeviceListModel::nameColumn,
                                                            QHeaderView::Stretch);
    m_deviceTable->horizontalHeader()->setStretchLastSection(false);
    m_deviceTable->setItemDelegateForColumn(DeviceListModel::actionColumn, m_delegate);
    layout->addWidget(m_deviceTable);
    return tab;
}

bool CIAboutDevice::loggedIn()
{
    return CServerClient::instance()->clientState() == EClientStates::ready;
}

// ---- a scanned device ------------------------------------------------------------------------

void CIAboutDevice::scanDeviceInfo(LoRaDevice info)
{
    clearInputs();
    m_serialNumber.clear();
    m_currentDevice = info;
    m_errorLabel->clear();
    for (QLabel* caption : qAsConst(m_credentialCaptions))
        caption->setStyleSheet(blackStyle);

    if (!info.hasOtaaCredentials()) {
        showReadingError(QString());
        return;
    }

    m_errorLabel->hide();
    m_devEuiEdit->setText(info.devEui);
    m_appEuiEdit->setText(info.appEui);
    m_appKeyEdit->setText(info.appKey);
    m_appSKeyEdit->setText(info.appsKey);
    m_nwkSKeyEdit->setText(info.nwksKey);
    m_devAddrEdit->setText(info.devAddress == 0 ? QStringLiteral("empty devaddr")
                                                : CServerDataView::devAddressText(info.devAddress));
    m_serverData->firstValueLabel()->clear();
    m_serverData->firstValueLabel()->setStyleSheet(blackStyle);

    DEBUG_LOG << "Проверяю статус подключения к вебсокету";
    if (!loggedIn()) {
        showNoConnection();
        return;
    }
    CMessageParser::instance()->getDevReq(m_currentDevice);
    m_serverData->statusLabel()->clear();
    m_serverData->statusLabel()->setStyleSheet(blackStyle);
    if (m_autoModeBox->isChecked() && !m_additionalGroup->isChecked())
        sendInfoToTheNextStage();
}

void CIAboutDevice::showReadingError(const QString& reason)
{
    DEBUG_LOG << "Ошибка чтения QR/Barcode";
    QString text = QStringLiteral("QR/Barcode reading error !!!");
    if (!reason.isEmpty())
        text += QLatin1Char('\n') + reason;
    m_errorLabel->setText(text);
    m_errorLabel->setStyleSheet(redStyle);
    m_errorLabel->show();
    for (QLineEdit* edit :
         {m_devEuiEdit, m_devAddrEdit, m_appEuiEdit, m_appKeyEdit, m_appSKeyEdit, m_nwkSKeyEdit})
        edit->setText(invalidCode);
    clearDevInfoFromServer();
    m_serverData->show();
    m_serverData->showMessage(invalidCode, true);
    emit resizeWindow();
}

void CIAboutDevice::scanUnreadable(QString reason)
{
    clearInputs();
    m_serialNumber.clear();
    m_currentDevice = LoRaDevice();
    showReadingError(reason);
}

void CIAboutDevice::showKeySource(QString note, bool fromKeyFile)
{
    if (!fromKeyFile) {
        // The label named no keys and the key file has none for it: the device cannot be registered.
        showReadingError(note);
        return;
    }
    m_errorLabel->setText(note);
    m_errorLabel->setStyleSheet(blackStyle);
    m_errorLabel->show();
}

void CIAboutDevice::addPageTab(QWidget* tab, const QString& title)
{
    m_tabs->addTab(tab, title);
}

void CIAboutDevice::showNoConnection()
{
    if (!m_serverData->isHidden()) {
        DEBUG_LOG << "АХТУНГ закрыт вебсокет";
        clearDevInfoFromServer();
    }
    m_serverData->showStatus(noConnectionText, true);
    m_serverData->show();
    emit resizeWindow();
}

void CIAboutDevice::snReceived(QString sn)
{
    if (!m_additionalGroup->isChecked())
        return;
    // The scanner's 16-character codes carry the serial number in characters 3 to 10.
    const QString kept = sn.size() == 16 ? sn.mid(3, 8) : sn;
    m_serialNumber = kept;
    m_snEdit->setText(kept);
    m_snEdit->setStyleSheet(blackStyle);
    if (m_autoModeBox->isChecked())
        sendInfoToTheNextStage();
    DEBUG_LOG << "SN RECEIVED " << kept;
}

// ---- registration ----------------------------------------------------------------------------

void CIAboutDevice::sendInfoToTheNextStage()
{
    const ChosenSettings settings{m_expert->getSettings(), m_optional->getSettings()};
    const bool credentials = m_currentDevice.hasOtaaCredentials();
    DEBUG_LOG << "ABP:" << (m_currentDevice.existABP() ? "true" : "false")
              << "OTAA:" << (m_currentDevice.existOTAA() ? "true" : "false")
              << "credentials:" << (credentials ? "true" : "false");
    if (!credentials || (m_serialNumber.isEmpty() && m_additionalGroup->isChecked()))
        return;
    if (!loggedIn()) {
        showNoConnection();
        return;
    }

    const QString& nameTemplate = settings.optional.device.nameTemplate;
    if (!nameTemplate.contains(QLatin1String("%deveui")))
        DEBUG_LOG << "NO %deveui";
    if (!nameTemplate.contains(QLatin1String("%date")))
        DEBUG_LOG << "NO %date";
    const QString name = DeviceCompletion::deviceName(
        nameTemplate, {m_devEuiEdit->text(), m_serialNumber, QDate::currentDate()});
    DEBUG_LOG << "devname: " << name;
    m_currentDevice = DeviceCompletion::completed(m_currentDevice, settings, name);
    CMessageParser::instance()->mngDevReq(m_currentDevice);

    const CPulseSettingsField::SettStruct pulse = m_pulse->getSettings();
    if (pulse.enabled)
        CMessageParser::instance()->manageAppdataReq(
            {createPulseJson(pulse, m_currentDevice.devEui, m_serialNumber)});
}

void CIAboutDevice::regDevicesList(QVector<LoRaDevice> devices)
{
    if (m_bulk->isRunning()) {
        // The answer to a stopped list's last request is still awaited: this list is not sent,
        // and its sender is told so rather than left waiting.
        DEBUG_LOG << "a list is being registered already;" << devices.size() << "devices not sent";
        emit devicesListEnded(devices.size(), 0);
        return;
    }
    if (!loggedIn()) {
        showNoConnection();
        emit devicesListEnded(devices.size(), 0);
        return;
    }
    // The settings are read once for the whole list; each request's devices are completed
    // with them as it goes out.
    const ChosenSettings settings{m_expert->getSettings(), m_optional->getSettings()};
    const CPulseSettingsField::SettStruct pulse = m_pulse->getSettings();
    if (!m_bulk->start(devices, settings, pulse.enabled ? std::optional<PulseSettings>(pulse) : std::nullopt,
                       QDate::currentDate(), CSettings::bulkChunkSizeValue()))
        emit devicesListEnded(devices.size(), 0);
}

void CIAboutDevice::stopDevicesList()
{
    m_bulk->stop();
}

void CIAboutDevice::onDevicesListFinished(int notSent, int unanswered)
{
    // The counters asked for at the run's end bring the device table up to date as well.
    emit devicesListEnded(notSent, unanswered);
}

void CIAboutDevice::recordAdded(const QString& devEui, const QString& status)
{
    if (status == Protocol::Status::added && !devEui.isEmpty())
        ScannedDevices::instance()->add(devEui);
}

void CIAboutDevice::statusCon(AuthResponse authInfo)
{
    // In auto mode the scans register the devices; the button stays off.
    m_addButton->setEnabled(authInfo.status && !m_autoModeBox->isChecked());
}

void CIAboutDevice::changePossibleStates(QString lastStatus)
{
    if (lastStatus.isEmpty())
        return;
    DEBUG_LOG << "Обрабатываю результат ответа от сервера";
    // A status word without a text of its own is shown as the server sent it.
    QString text = registrationStatusText(lastStatus);
    if (text.isEmpty())
        text = lastStatus;
    m_errorLabel->setText(text);
    m_errorLabel->setStyleSheet(isSuccess(lastStatus) ? blackStyle : redStyle);
    m_errorLabel->show();
    DEBUG_LOG << "Вывел сообщение , которое вернул сервер";
}

// ---- page state ------------------------------------------------------------------------------

void CIAboutDevice::clearInputs()
{
    for (QLineEdit* edit :
         {m_devEuiEdit, m_appEuiEdit, m_appKeyEdit, m_devAddrEdit, m_appSKeyEdit, m_nwkSKeyEdit, m_snEdit})
        edit->clear();
}

void CIAboutDevice::defaulSettingsWDs()
{
    // The serial number comes from the scanner only: its edit is read-only as well.
    for (QLineEdit* edit :
         {m_devEuiEdit, m_appEuiEdit, m_appKeyEdit, m_devAddrEdit, m_appSKeyEdit, m_nwkSKeyEdit, m_snEdit}) {
        edit->setReadOnly(true);
        edit->setEchoMode(QLineEdit::Normal);
    }
    m_errorLabel->hide();
    m_serverData->registeredCaption()->hide();
    m_serverData->clearDeviceData();
    m_serverData->hide();
}

void CIAboutDevice::clearDevInfoFromServer()
{
    m_serverData->registeredCaption()->hide();
    m_serverData->clearDeviceData();
}

// ---- the server's view -----------------------------------------------------------------------

void CIAboutDevice::changeDevInfo(LoRaDevice devInfoResp)
{
    // Answers come for the device on the page only; an unreadable scan has nothing to compare.
    if (m_currentDevice.devEui.isEmpty())
        return;
    if (devInfoResp.classCGate != 1) {
        if (!m_serverData->isHidden())
            clearDevInfoFromServer();
        m_serverData->show();
        m_serverData->showMessage(notRegisteredText, true);
        return;
    }
    if (devInfoResp.devEui.compare(m_currentDevice.devEui, Qt::CaseInsensitive) != 0) {
        DEBUG_LOG << "record of another device ignored:" << devInfoResp.devEui;
        return;
    }
    m_currentDevice = devInfoResp;
    m_serverData->statusLabel()->setText(registeredText);
    m_serverData->statusLabel()->setStyleSheet(blackStyle);
    m_serverData->showDevice(devInfoResp);
}

void CIAboutDevice::fillDeviceTable(QJsonDocument devList)
{
    DEBUG_LOG << "fill table";
    // Only answers to a request for the whole list come here: no devices means none on the server.
    m_deviceModel->setDevices(devList, true);
}

void CIAboutDevice::fillDeviceRows(ServerDeviceRows rows)
{
    DEBUG_LOG << "fill table:" << rows.size() << "devices";
    m_deviceModel->setRows(rows, true);
}

void CIAboutDevice::refreshDeviceTable()
{
    CMessageParser::instance()->getDevicesListReq();
}

void CIAboutDevice::deleteDevice(QString deveui)
{
    const QMessageBox::StandardButton answer = QMessageBox::question(
        nullptr, tr("Удаление устройства"),
        tr("Вы действительно хотите удалить устройство DevEUI:%1 с сервера?").arg(deveui),
        QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    if (!loggedIn()) {
        m_deleteStatus->setText(noConnectionText);
        m_deleteStatus->show();
        return;
    }
    DEBUG_LOG << "delete this -> " << deveui;
    m_deleteStatus->hide();
    CServerClient::instance()->sendMessage(
        compactJsonText({{Protocol::Key::cmd, Protocol::Cmd::deleteDevicesReq},
                         {Protocol::Key::devicesList, QJsonArray{deveui}}}));
}

void CIAboutDevice::showDeleteStatuses(const QVector<QPair<QString, QString>>& statuses)
{
    QStringList failures;
    for (const auto& pair : statuses) {
        if (pair.second == Protocol::Status::deleted)
            ScannedDevices::instance()->remove(pair.first);
        else
            failures.append(QStringLiteral("%1: %2").arg(pair.first, pair.second));
    }
    if (statuses.isEmpty())
        failures.append(tr("сервер не сообщил результат"));
    m_deleteStatus->setVisible(!failures.isEmpty());
    m_deleteStatus->setText(tr("Не удалено: %1").arg(failures.join(QStringLiteral("; "))));
}

// ---- presets ---------------------------------------------------------------------------------

void CIAboutDevice::iniPresets(QString presets)
{
    m_presets->iniPresets(presets);
}

void CIAboutDevice::findPreset(QString presetName)
{
    m_presets->findPreset(presetName);
}

void CIAboutDevice::changePresets()
{
    m_presets->changePresets();
}

void CIAboutDevice::createPreset()
{
    m_presets->createPreset();
}

QJsonObject CIAboutDevice::prepareJsonObjPreset()
{
    return m_presets->prepareJsonObjPreset();
}

// ---- downlinks and application data ------------------------------------------------------------

void CIAboutDevice::sendDataToDevice() {}

void CIAboutDevice::open()
{
    if (!loggedIn()) {
        m_requestsStatus->setText(tr("Нет подключения к серверу: запросы из файла не отправлены."));
        m_requestsStatus->setStyleSheet(redStyle);
        m_requestsStatus->show();
        return;
    }
    const QString stored =
        CSettings::readValue(CSettings::requestsFileName, CSettings::currentRequestsFileName).toString();
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Открыть файл"), stored, tr("Текстовые файлы (*.txt);"));
    if (path.isEmpty())
        return;
    CSettings::writeValue(CSettings::requestsFileName, path);
    m_stopButton->show();
    m_requestsStatus->setStyleSheet(blackStyle);
    onRequestsProgress(0, 0);
    m_requestsSender->start(path);
}

void CIAboutDevice::onRequestsProgress(int sent, int skipped)
{
    m_requestsStatus->setText(tr("Отправлено запросов: %1, пропущено строк: %2").arg(sent).arg(skipped));
    m_requestsStatus->show();
}

void CIAboutDevice::onRequestsFinished(int end, int sent, int skipped)
{
    m_stopButton->hide();
    onRequestsProgress(sent, skipped);
    QString reason;
    switch (RequestsFileSender::End(end)) {
    case RequestsFileSender::End::done:
        return;
    case RequestsFileSender::End::stopped:
        reason = tr("Остановлено.");
        break;
    case RequestsFileSender::End::notLoggedIn:
        reason = tr("Нет подключения к серверу: остальные запросы не отправлены.");
        break;
    case RequestsFileSender::End::cannotOpen:
        reason = tr("Не удалось открыть файл.");
        break;
    }
    m_requestsStatus->setText(m_requestsStatus->text() + QLatin1Char(' ') + reason);
    m_requestsStatus->setStyleSheet(end == int(RequestsFileSender::End::stopped) ? blackStyle : redStyle);
}

QJsonDocument CIAboutDevice::createPulseJson(CPulseSettingsField::SettStruct set, QString deveui, QString sn)
{
    return buildPulseAppData(set, deveui, sn);
}
