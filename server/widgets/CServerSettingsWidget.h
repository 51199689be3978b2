#pragma once

#include "server/ServerRecords.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

// The block through which the operator connects to the network server: protocol, address,
// user name and password, a remember box, and the outcome of the last authorisation shown as
// status text, status icon and, on failure, a red error line.
class CServerSettingsWidget : public QWidget
{
    Q_OBJECT
public:
    explicit CServerSettingsWidget(QWidget* parent = nullptr);

    // Resource path of the status icon now shown.
    QString statusIconPath() const { return m_statusIconPath; }
    AuthResponse lastAuthorisation() const { return m_lastAuth; }
    // The text shown for an authorisation error: a refusal code of the server in words, the
    // client's own failure texts as they are.
    static QString errorInWords(const QString& error);

public slots:
    void statusClear();
    void login();
    void logout();
    void changeStatusCon(AuthResponse newInfo);

private:
    void resetStyles();
    // Shows whether and when a lost login is tried again.
    void showRetryState();
    void showStatusIcon(const QString& path);
    void setCredentialsVisible(bool visible);

    CLoraAuthReq m_connectionRequest;
    QVBoxLayout* m_mainLayout = nullptr;
    QHBoxLayout* m_currentRow = nullptr;
    QLineEdit* m_addressEdit = nullptr;
    QLineEdit* m_loginEdit = nullptr;
    QLineEdit* m_passwordEdit = nullptr;
    QComboBox* m_protocolCombo = nullptr;
    QLabel* m_statusCaption = nullptr;
    QLabel* m_statusText = nullptr;
    QLabel* m_statusIcon = nullptr;
    QLabel* m_addressCaption = nullptr;
    QLabel* m_loginCaption = nullptr;
    QLabel* m_passwordCaption = nullptr;
    QLabel* m_errorLine = nullptr;
    QLabel* m_retryLine = nullptr;
    QPushButton* m_disconnectButton = nullptr;
    QPushButton* m_connectButton = nullptr;
    QCheckBox* m_rememberBox = nullptr;
    QString m_statusIconPath;
    AuthResponse m_lastAuth;
};
