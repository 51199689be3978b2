#include "app/CLeftPanel.h"

#include "downlink/widgets/SendDataDialog.h"
#include "intake/widgets/CScanerSettings.h"
#include "intake/widgets/DevicesFileLoader.h"
#include "server/CMessageParser.h"
#include "server/widgets/CServerSettingsWidget.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CLeftPanel::CLeftPanel(QWidget* parent, CScanerSettings* scanner) : QWidget(parent)
{
    setObjectName(QStringLiteral("leftPanel"));
    setFixedWidth(220);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);

    // The English catalogue turns this path into the English logo.
    m_logoPath = tr(":/icons/Qelt_logo_ru.png");
    m_logo = new QLabel(this);
    m_logo->setObjectName(QStringLiteral("logoLabel"));
    m_logo->setPixmap(QPixmap(m_logoPath).scaledToHeight(50, Qt::SmoothTransformation));
    m_logo->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_logo);

    m_serverSettings = new CServerSettingsWidget(this);
    layout->addWidget(m_serverSettings);
    m_scanner = scanner ? scanner : new CScanerSettings;
    m_scanner->setParent(this);
    layout->addWidget(m_scanner);

    auto* readFileButton = new QPushButton(tr("Считать устройства из файла"), this);
    readFileButton->setObjectName(QStringLiteral("readDevicesFileButton"));
    layout->addWidget(readFileButton);
    auto* sendDataButton = new QPushButton(tr("Отправить данные"), this);
    sendDataButton->setObjectName(QStringLiteral("sendDataButton"));
    layout->addWidget(sendDataButton);

    connect(m_scanner, &CScanerSettings::newDeviceInfo, this, &CLeftPanel::newDeviceInfo);
    connect(m_scanner, &CScanerSettings::newSN, this, &CLeftPanel::newSN);
    connect(m_scanner, &CScanerSettings::scanUnreadable, this, &CLeftPanel::scanUnreadable);
    connect(m_scanner, &CScanerSettings::keySourceNote, this, &CLeftPanel::keySourceNote);
    connect(readFileButton, &QPushButton::clicked, this, &CLeftPanel::readDevicesFromFile);
    connect(sendDataButton, &QPushButton::clicked, this, &CLeftPanel::showSendDataDialog);
}

void CLeftPanel::connectDevicesFileLoader(DevicesFileLoader* loader)
{
    connect(CMessageParser::instance(), &CMessageParser::mngDevsRespSignal, loader,
            &DevicesFileLoader::showAddResults);
    connect(loader, &DevicesFileLoader::sendDevices, this, &CLeftPanel::newDevicesList);
    connect(loader, &DevicesFileLoader::stopSending, this, &CLeftPanel::stopDevicesList);
    connect(this, &CLeftPanel::devicesListEnded, loader, &DevicesFileLoader::showRunEnd);
}

void CLeftPanel::readDevicesFromFile()
{
    // One dialog per click: it lives while it is shown and goes with everything it read.
    DevicesFileLoader loader(this);
    connectDevicesFileLoader(&loader);
    if (loader.readDevicesFile())
        loader.exec();
}

void CLeftPanel::showSendDataDialog()
{
    // One dialog for the whole run: it keeps what was typed last time.
    if (!m_sendDataDialog)
        m_sendDataDialog = new SendDataDialog(this);
    m_sendDataDialog->show();
    m_sendDataDialog->raise();
}
