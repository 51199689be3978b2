#include "downlink/widgets/SendDataDialog.h"

#include "downlink/DataSender.h"
#include "foundation/CSettings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>

SendDataDialog::SendDataDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Отправка данных на устройство"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    resize(400, 100);

    m_devEuiEdit = new QLineEdit(CSettings::currentLastSendEui, this);
    m_devEuiEdit->setObjectName(QStringLiteral("devEuiEdit"));
    m_dataEdit = new QLineEdit(this);
    m_dataEdit->setObjectName(QStringLiteral("dataEdit"));
    m_portEdit = new QLineEdit(QStringLiteral("02"), this);
    m_portEdit->setObjectName(QStringLiteral("portEdit"));
    m_ackBox = new QCheckBox(QStringLiteral("ACK"), this);
    m_ackBox->setObjectName(QStringLiteral("ackBox"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &SendDataDialog::sendData);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(tr("DevEui:"), this), 0, 0);
    grid->addWidget(m_devEuiEdit, 0, 1);
    grid->addWidget(new QLabel(tr("Порт:"), this), 1, 0);
    grid->addWidget(m_portEdit, 1, 1);
    grid->addWidget(new QLabel(tr("Данные:"), this), 2, 0);
    grid->addWidget(m_dataEdit, 2, 1);
    grid->addWidget(m_ackBox, 3, 1);
    grid->addWidget(buttons, 4, 0, 1, 2);
}

QString SendDataDialog::inputError(const QString& port, const QString& data)
{
    bool isNumber = false;
    const int portNumber = port.trimmed().toInt(&isNumber, 10);
    if (!isNumber || portNumber < minPort || portNumber > maxPort)
        return tr("Порт должен быть числом от %1 до %2.").arg(minPort).arg(maxPort);
    const QString payload = data.trimmed();
    if (payload.isEmpty())
        return tr("Введите данные для отправки.");
    static const QRegularExpression hexPairs(QStringLiteral("^(?:[0-9A-Fa-f]{2})+$"));
    if (!hexPairs.match(payload).hasMatch())
        return tr("Данные должны состоять из пар шестнадцатеричных цифр, например 0A1B.");
    if (payload.size() / 2 > maxPayloadBytes)
        return tr("Данных %1 байт, больше чем %2.").arg(payload.size() / 2).arg(maxPayloadBytes);
    return QString();
}

void SendDataDialog::sendData()
{
    const bool ack = m_ackBox->isChecked();
    const QString port = m_portEdit->text().trimmed();
    const QString data = m_dataEdit->text().trimmed();
    const QString devEui = m_devEuiEdit->text();
    const QString error = inputError(port, data);
    if (!error.isEmpty()) {
        // Nothing goes out that the device could not take as meant; the values stay for correction.
        QMessageBox::warning(this, windowTitle(), error);
        return;
    }
    if (!DataSender::sendDataRequest(devEui, data, port, ack)) {
        // Nothing went out: keep the dialog and its values so the operator can send again.
        QMessageBox::warning(this, windowTitle(), tr("Нет подключения к серверу: данные не отправлены."));
        return;
    }

    CSettings::writeValue(CSettings::lastSendEui, devEui);
    CSettings::currentLastSendEui = CSettings::readValue(CSettings::lastSendEui).toString();
    accept();
}
