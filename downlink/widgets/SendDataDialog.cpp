#include "downlink/widgets/SendDataDialog.h"

#include "downlink/DataSender.h"
#include "foundation/CSettings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

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

void SendDataDialog::sendData()
{
    const bool ack = m_ackBox->isChecked();
    const QString port = m_portEdit->text();
    const QString data = m_dataEdit->text();
    const QString devEui = m_devEuiEdit->text();
    if (!DataSender::sendDataRequest(devEui, data, port, ack)) {
        // Nothing went out: keep the dialog and its values so the operator can send again.
        QMessageBox::warning(this, windowTitle(), tr("Нет подключения к серверу: данные не отправлены."));
        return;
    }

    CSettings::writeValue(CSettings::lastSendEui, devEui);
    CSettings::currentLastSendEui = CSettings::readValue(CSettings::lastSendEui).toString();
    accept();
}
