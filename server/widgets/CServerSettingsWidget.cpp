#include "server/widgets/CServerSettingsWidget.h"

#include "foundation/CSettings.h"
#include "foundation/DebugLog.h"
#include "foundation/widgets/WidgetHelpers.h"
#include "server/CMessageParser.h"
#include "server/CServerClient.h"
#include "server/Protocol.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString normalStyle = QStringLiteral("color: rgb(0,0,0)");
const QString errorStyle = QStringLiteral("color: rgb(255,0,0)");

const QString offlineIcon = QStringLiteral(":/icons/Qelt_server_staus_offline.png");
const QString onlineIcon = QStringLiteral(":/icons/Qelt_server_staus_online.png");
const QString disconnectedIcon = QStringLiteral(":/icons/Qelt_server_staus_disconnected.png");

// Status words shown as they are, in every language.
const QString statusNull = QStringLiteral("Null:");
const QString statusOnline = QStringLiteral("Online:");
const QString statusOffline = QStringLiteral("Offline:");
} // namespace

CServerSettingsWidget::CServerSettingsWidget(QWidget* parent) : QWidget(parent)
{
    m_addressEdit = new QLineEdit(CSettings::readValue(CSettings::serverIpPort).toString(), this);
    m_addressEdit->setObjectName(QStringLiteral("serverAddressEdit"));
    m_addressEdit->setPlaceholderText(tr("example input -> 127.0.0.1:XXXXX"));
    m_loginEdit = new QLineEdit(CSettings::readValue(CSettings::serverLogin).toString(), this);
    m_loginEdit->setObjectName(QStringLiteral("serverLoginEdit"));
    m_passwordEdit = new QLineEdit(CSettings::readValue(CSettings::serverPassword).toString(), this);
    m_passwordEdit->setObjectName(QStringLiteral("serverPasswordEdit"));
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    // Neither field is restricted: operators type host names as well as IPv4 addresses,
    // and passwords may hold any character.

    m_protocolCombo = new QComboBox(this);
    m_protocolCombo->setObjectName(QStringLiteral("serverProtocolCombo"));
    m_protocolCombo->addItem(QStringLiteral("wss"), 1);
    m_protocolCombo->addItem(QStringLiteral("ws"), 0);
    const int protocolIndex =
        m_protocolCombo->findData(CSettings::readValue(CSettings::wsProtocol, 0).toInt());
    m_protocolCombo->setCurrentIndex(protocolIndex >= 0 ? protocolIndex : m_protocolCombo->findData(0));

    m_rememberBox = new QCheckBox(tr("Запомнить логин и пароль"), this);
    m_rememberBox->setObjectName(QStringLiteral("serverRememberBox"));
    m_rememberBox->setChecked(CSettings::readValue(CSettings::rememberme, false).toBool());

    m_statusCaption = new QLabel(tr("Статус :"), this);
    m_statusCaption->setObjectName(QStringLiteral("serverStatusCaption"));
    m_statusText = new QLabel(statusNull, this);
    m_statusText->setObjectName(QStringLiteral("serverStatusText"));
    m_statusText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_statusIcon = new QLabel(this);
    m_statusIcon->setObjectName(QStringLiteral("serverStatusIcon"));
    showStatusIcon(offlineIcon);
    m_addressCaption = new QLabel(QStringLiteral("IP:"), this);
    m_addressCaption->setObjectName(QStringLiteral("serverAddressCaption"));
    m_loginCaption = new QLabel(tr("Пользователь:"), this);
    m_loginCaption->setObjectName(QStringLiteral("serverLoginCaption"));
    m_passwordCaption = new QLabel(tr("Пароль:"), this);
    m_passwordCaption->setObjectName(QStringLiteral("serverPasswordCaption"));
    m_errorLine = new QLabel(this);
    m_errorLine->setObjectName(QStringLiteral("serverErrorLine"));
    m_errorLine->setWordWrap(true);
    m_errorLine->hide();
    m_retryLine = new QLabel(this);
    m_retryLine->setObjectName(QStringLiteral("serverRetryLine"));
    m_retryLine->setWordWrap(true);
    m_retryLine->hide();

    m_disconnectButton = new QPushButton(tr("&Отключиться"), this);
    m_disconnectButton->setObjectName(QStringLiteral("serverDisconnectButton"));
    m_disconnectButton->setFixedWidth(100);
    m_connectButton = new QPushButton(tr("&Подключиться"), this);
    m_connectButton->setObjectName(QStringLiteral("serverConnectButton"));
    m_connectButton->setEnabled(true);

    m_mainLayout = new QVBoxLayout(this);
    m_mainLayout->setContentsMargins(3, 3, 3, 3);
    m_mainLayout->setSpacing(2);
    m_currentRow = WIDGET::prepareInnerHLayout(m_mainLayout);
    m_currentRow->addWidget(m_statusCaption, 1);
    m_currentRow->addWidget(m_statusText, 1);
    m_currentRow->addWidget(m_statusIcon, 2);
    m_currentRow = WIDGET::prepareInnerHLayout(m_mainLayout);
    m_currentRow->addWidget(m_errorLine);
    m_currentRow = WIDGET::prepareInnerHLayout(m_mainLayout);
    m_currentRow->addWidget(m_retryLine);
    m_currentRow = WIDGET::prepareInnerHLayout(m_mainLayout);
    m_currentRow->addWidget(m_addressCaption);
    m_currentRow->addWidget(m_protocolCombo);
    m_currentRow->addWidget(m_addressEdit);
    m_currentRow = WIDGET::prepareInnerHLayout(m_mainLayout);
    m_currentRow->addWidget(m_loginCaption);
    m_currentRow->addWidget(m_loginEdit);
    m_currentRow = WIDGET::prepareInnerHLayout(m_mainLayout);
    m_currentRow->addWidget(m_passwordCaption);
    m_currentRow->addWidget(m_passwordEdit);
    m_currentRow = WIDGET::prepareInnerHLayout(m_mainLayout);
    m_currentRow->addWidget(m_rememberBox);
    m_currentRow = WIDGET::prepareInnerHLayout(m_mainLayout);
    m_currentRow->addWidget(m_disconnectButton);
    m_currentRow->addWidget(m_connectButton);

    connect(m_connectButton, &QPushButton::clicked, this, &CServerSettingsWidget::login);
    connect(m_disconnectButton, &QPushButton::clicked, this, &CServerSettingsWidget::logout);
    connect(CMessageParser::instance(), &CMessageParser::authMsgResp, this, [this](AuthResponse response) {
        // A login answer handled after its connection was lost starts no session: the client
        // ignores it and has already reported the loss, so "Online:" would be a false claim.
        if (response.status && CServerClient::instance()->state() != QAbstractSocket::ConnectedState)
            return;
        changeStatusCon(response);
    });
    connect(CServerClient::instance(), &CServerClient::hostError, this,
            &CServerSettingsWidget::changeStatusCon);
    connect(CServerClient::instance(), &CServerClient::clientStateChanged, this,
            &CServerSettingsWidget::showRetryState);
}

void CServerSettingsWidget::showRetryState()
{
    const CServerClient* client = CServerClient::instance();
    if (!client->isReconnecting()) {
        m_retryLine->clear();
        m_retryLine->hide();
        return;
    }
    const QDateTime at = client->nextRetryAt();
    m_retryLine->setText(at.isValid()
                             ? tr("Повторное подключение в %1 (попытка %2)")
                                   .arg(at.toString(QStringLiteral("HH:mm:ss")))
                                   .arg(client->retryAttempt())
                             : tr("Повторное подключение… (попытка %1)").arg(client->retryAttempt()));
    m_retryLine->show();
}

void CServerSettingsWidget::statusClear()
{
    m_loginEdit->clear();
    m_passwordEdit->clear();
    resetStyles();
}

// Back to the plain look; what the operator typed stays.
void CServerSettingsWidget::resetStyles()
{
    for (QWidget* widget :
         {static_cast<QWidget*>(m_loginEdit), static_cast<QWidget*>(m_passwordEdit),
          static_cast<QWidget*>(m_loginCaption), static_cast<QWidget*>(m_passwordCaption)}) {
        widget->setStyleSheet(normalStyle);
    }
    setCredentialsVisible(true);
    m_errorLine->clear();
    m_errorLine->setToolTip(QString());
    m_errorLine->hide();
    m_errorLine->setStyleSheet(normalStyle);
}

QString CServerSettingsWidget::errorInWords(const QString& error)
{
    if (error.isEmpty() || CServerClient::isClientText(error))
        return error;
    if (error == Protocol::Status::invalidLoginOrPassword)
        return tr("Неверное имя пользователя или пароль");
    return tr("Сервер отказал во входе");
}

void CServerSettingsWidget::login()
{
    m_connectionRequest.address = m_addressEdit->text();
    m_connectionRequest.login = m_loginEdit->text();
    m_connectionRequest.password = m_passwordEdit->text();
    m_connectionRequest.protocol = m_protocolCombo->currentData().toInt();

    const bool remember = m_rememberBox->isChecked();
    if (remember) {
        // An empty box never wipes what was remembered.
        if (!m_connectionRequest.login.isEmpty())
            CSettings::writeValue(CSettings::serverLogin, m_connectionRequest.login);
        if (!m_connectionRequest.password.isEmpty())
            CSettings::writeValue(CSettings::serverPassword, m_connectionRequest.password);
    } else {
        CSettings::writeValue(CSettings::serverLogin, QString());
        CSettings::writeValue(CSettings::serverPassword, QString());
    }
    CSettings::writeValue(CSettings::rememberme, remember);

    CServerClient::instance()->openWebSoket(m_connectionRequest);
}

void CServerSettingsWidget::logout()
{
    DEBUG_LOG << "status:" << m_lastAuth.status;
    DEBUG_LOG << "token:" << m_lastAuth.token;
    CServerClient* client = CServerClient::instance();
    if (client->isReconnecting()) {
        // The operator gives up the lost login: no more retries.
        client->cancelReconnect();
        showRetryState();
        return;
    }
    if (m_lastAuth.status && !m_lastAuth.token.isEmpty())
        CServerClient::instance()->logOut(m_lastAuth.token);
}

void CServerSettingsWidget::changeStatusCon(AuthResponse newInfo)
{
    m_lastAuth = newInfo;
    if (!newInfo.status) {
        resetStyles();
        if (!newInfo.errString.isEmpty()) {
            const QString words = errorInWords(newInfo.errString);
            m_errorLine->setText(words);
            // The server's own code stays at hand for a support call.
            m_errorLine->setToolTip(words == newInfo.errString ? QString() : newInfo.errString);
            m_errorLine->setStyleSheet(errorStyle);
            m_errorLine->show();
            if (newInfo.errString == Protocol::Status::invalidLoginOrPassword) {
                m_loginCaption->setStyleSheet(errorStyle);
                m_passwordCaption->setStyleSheet(errorStyle);
            }
        }
        m_statusText->setText(statusOffline);
        showStatusIcon(disconnectedIcon);
        m_connectButton->setEnabled(true);
        showRetryState();
        return;
    }
    m_statusText->setText(statusOnline);
    showStatusIcon(onlineIcon);
    m_connectButton->setEnabled(false);
    resetStyles();
    // While logged in the panel shows only status, address, protocol, remember box and buttons.
    setCredentialsVisible(false);
    showRetryState();
}

void CServerSettingsWidget::showStatusIcon(const QString& path)
{
    m_statusIconPath = path;
    m_statusIcon->setPixmap(QPixmap(path));
}

void CServerSettingsWidget::setCredentialsVisible(bool visible)
{
    m_loginCaption->setVisible(visible);
    m_loginEdit->setVisible(visible);
    m_passwordCaption->setVisible(visible);
    m_passwordEdit->setVisible(visible);
}
