#include "intake/widgets/CScanerSettings.h"

#include "foundation/CSettings.h"
#include "foundation/DebugLog.h"
#include "foundation/widgets/WidgetHelpers.h"
#include "intake/ScanDecoder.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMetaEnum>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace {
constexpr int iconSize = 24;

template <typename Enum> const char* enumName(Enum value)
{
    const char* name = QMetaEnum::fromType<Enum>().valueToKey(int(value));
    return name ? name : "?";
}
} // namespace

const QString CScanerSettings::warningIcon = QStringLiteral(":/icons/flatWarningIco.png");
const QString CScanerSettings::okIcon = QStringLiteral(":/icons/flatOkIco.png");
const QString CScanerSettings::failedIcon = QStringLiteral(":/icons/flatCancelIco.png");

CScanerSettings::CScanerSettings(QWidget* parent) : CScanerSettings(parent, FirstRefresh::now) {}

CScanerSettings::CScanerSettings(QWidget* parent, FirstRefresh firstRefresh) : QWidget(parent)
{
    auto* mainLayout = new QVBoxLayout(this);
    mainLayout->setContentsMargins(3, 3, 3, 3);
    mainLayout->setSpacing(2);

    auto* title = new QLabel(tr("Сканер"), this);
    title->setAlignment(Qt::AlignCenter);
    title->setContentsMargins(0, 15, 0, 0);
    mainLayout->addWidget(title);

    QHBoxLayout* portRow = WIDGET::prepareInnerHLayout(mainLayout);
    m_portBox = new QComboBox(this);
    m_portBox->setObjectName(QStringLiteral("scannerPortBox"));
    m_portBox->setFixedWidth(160);
    m_portBox->setMaxVisibleItems(10);
    m_portBox->setSizePolicy(QSizePolicy::Expanding, m_portBox->sizePolicy().verticalPolicy());
    portRow->addWidget(m_portBox);
    m_statusIcon = new QLabel(this);
    m_statusIcon->setObjectName(QStringLiteral("scannerStatusIcon"));
    portRow->addWidget(m_statusIcon);

    m_refreshButton = new QPushButton(tr("&Обновить"), this);
    m_refreshButton->setObjectName(QStringLiteral("scannerRefreshButton"));
    m_refreshButton->setFixedWidth(75);
    mainLayout->addWidget(m_refreshButton);

    m_keyFileButton = new QPushButton(tr("Загрузить файл ключей…"), this);
    m_keyFileButton->setObjectName(QStringLiteral("scannerKeyFileButton"));
    mainLayout->addWidget(m_keyFileButton);
    m_keyFileLabel = new QLabel(this);
    m_keyFileLabel->setObjectName(QStringLiteral("scannerKeyFileLabel"));
    m_keyFileLabel->setWordWrap(true);
    mainLayout->addWidget(m_keyFileLabel);
    mainLayout->addStretch(5);

    m_quietTimer = new QTimer(this);
    m_quietTimer->setSingleShot(true);
    m_quietTimer->setInterval(scanQuietGapMs);
    connect(m_quietTimer, &QTimer::timeout, this, &CScanerSettings::decodePendingScan);

    showIcon(warningIcon);
    connect(m_refreshButton, &QPushButton::clicked, this, &CScanerSettings::refreshPorts);
    connect(m_portBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &CScanerSettings::initPort);
    connect(m_keyFileButton, &QPushButton::clicked, this, &CScanerSettings::chooseKeyFile);

    loadRememberedKeyFile();
    if (firstRefresh == FirstRefresh::now)
        refreshPorts();
}

QList<CScanerSettings::PortEntry> CScanerSettings::listPorts() const
{
    QList<PortEntry> ports;
    const QList<QSerialPortInfo> available = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : available)
        ports.append(PortEntry{info.portName(), info.description(), info.systemLocation()});
    return ports;
}

void CScanerSettings::refreshPorts()
{
    DEBUG_LOG << "Сработало обновление устройств на usb портах";
    // Clearing drops the open port (index -1); the first new item opens the first port.
    m_portBox->clear();
    m_ports = listPorts();
    for (const PortEntry& entry : qAsConst(m_ports)) {
        const QString description =
            entry.description.isEmpty() ? QStringLiteral("unidentified") : entry.description;
        m_portBox->addItem(entry.name + QStringLiteral(" - ") + description);
    }
    DEBUG_LOG << "Обновил combobox";
}

void CScanerSettings::initPort()
{
    const int index = m_portBox->currentIndex();
    DEBUG_LOG << "Инициализирую порт сканера" << index;

    // A scan still gathering belongs to the old port: hand it on before the port goes.
    if (m_quietTimer->isActive()) {
        m_quietTimer->stop();
        decodePendingScan();
    }
    m_pendingScan.clear();
    m_pendingOverflow = false;

    if (m_port) {
        if (m_port->isOpen())
            m_port->close();
        delete m_port;
        m_port = nullptr;
    }
    if (index == -1) {
        showIcon(warningIcon);
        return;
    }

    const PortEntry entry = index < m_ports.size() ? m_ports.at(index) : PortEntry();
    m_port = new QSerialPort(this);
    m_port->setPortName(entry.systemLocation);
    m_portFailed = false;
    QSerialPort* port = m_port;
    connect(port, &QSerialPort::errorOccurred, this,
            [this, port](QSerialPort::SerialPortError error) { onPortError(port, error); });
    connect(port, &QSerialPort::readyRead, this, &CScanerSettings::readCode);

    DEBUG_LOG << enumName(port->flowControl()) << port->openMode() << port->baudRate()
              << enumName(port->dataBits()) << port->portName();
    if (port->open(QIODevice::ReadOnly)) {
        showIcon(okIcon);
    } else {
        showIcon(failedIcon);
        DEBUG_LOG << enumName(port->error());
    }
}

void CScanerSettings::readCode()
{
    DEBUG_LOG << "Сканер считывает данные";
    if (!m_port)
        return;
    const QByteArray chunk = m_port->readAll();
    if (!m_pendingOverflow) {
        m_pendingScan += chunk;
        if (m_pendingScan.size() > maxScanBytes) {
            DEBUG_LOG << "Сканер передал больше" << maxScanBytes << "байт без паузы, данные отброшены";
            m_pendingScan.clear();
            m_pendingOverflow = true;
        }
    }
    // Each piece restarts the wait: the scan is complete once the port stays quiet.
    m_quietTimer->start();
}

void CScanerSettings::decodePendingScan()
{
    if (m_pendingOverflow) {
        m_pendingOverflow = false;
        return;
    }
    if (m_pendingScan.isEmpty())
        return;
    // Taken out first: a receiver may run an event loop in which the next scan arrives.
    const QByteArray scan = std::exchange(m_pendingScan, QByteArray());
    DEBUG_LOG << DebugLog::brief(ScanDecoder::scanText(scan));

    const ScanResult result = ScanDecoder::decode(scan);
    if (result.isSerialNumber()) {
        emit newSN(result.serialNumber);
        DEBUG_LOG << "Считали штрих код";
        return;
    }
    if (result.isUnreadable()) {
        DEBUG_LOG << "код считан с ошибкой:" << result.unreadableReason;
        emit scanUnreadable(result.unreadableReason);
        return;
    }
    emitDevice(result.device);
}

void CScanerSettings::emitDevice(const LoRaDevice& scanned)
{
    LoRaDevice completed = scanned;
    const KeyFile::Completion completion = m_keyFile.complete(completed);
    DEBUG_LOG << "devInfo.isValid()" << (completed.hasOtaaCredentials() ? "true" : "false");
    emit newDeviceInfo(completed);
    if (completion != KeyFile::Completion::notApplied) {
        const QString note = KeyFile::completionText(completion);
        DEBUG_LOG << note;
        emit keySourceNote(note, completion == KeyFile::Completion::fromKeyFile);
    }
    // The scanned record only: keys taken from the key file never reach the log.
    const LoRaDevice& device = scanned;
    DEBUG_LOG << QStringLiteral(
                     "DevEUI: %1\nAppEui: %2\nAppKey: %3\nDevAddress: %4\nAppSKey: %5\nNwkSKey: %6")
                     .arg(device.devEui, device.appEui, DebugLog::hidden(device.appKey),
                          QString::number(device.devAddress, 16).toUpper(), DebugLog::hidden(device.appsKey),
                          DebugLog::hidden(device.nwksKey));
    DEBUG_LOG << "Считал";
}

QString CScanerSettings::askKeyFileName()
{
    return QFileDialog::getOpenFileName(this, tr("Выберите файл ключей"), m_keyFilePath,
                                        tr("Файлы CSV (*.csv);;Все файлы (*)"));
}

void CScanerSettings::chooseKeyFile()
{
    const QString path = askKeyFileName();
    if (!path.isEmpty())
        loadKeyFile(path);
}

bool CScanerSettings::loadKeyFile(const QString& path)
{
    const QString absolutePath = QFileInfo(path).absoluteFilePath();
    if (!applyKeyFile(absolutePath))
        return false;
    CSettings::writeValue(CSettings::keyFileName, absolutePath);
    return true;
}

void CScanerSettings::loadRememberedKeyFile()
{
    const QString path = CSettings::readValue(CSettings::keyFileName).toString();
    if (path.isEmpty())
        showKeyFileState(QString());
    else
        applyKeyFile(path);
}

bool CScanerSettings::applyKeyFile(const QString& path)
{
    const KeyFile::LoadResult result = m_keyFile.load(path);
    if (!result.ok()) {
        showKeyFileState(QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), result.error));
        return false;
    }
    m_keyFilePath = path;
    showKeyFileState(QString());
    return true;
}

void CScanerSettings::showKeyFileState(const QString& error)
{
    const QString state = m_keyFilePath.isEmpty() ? tr("Файл ключей не загружен")
                                                  : tr("Файл ключей: %1 (устройств: %2)")
                                                        .arg(QFileInfo(m_keyFilePath).fileName())
                                                        .arg(m_keyFile.size());
    m_keyFileLabel->setText(error.isEmpty() ? state : error + QLatin1Char('\n') + state);
    m_keyFileLabel->setStyleSheet(error.isEmpty() ? QStringLiteral("color: rgb(0,0,0)")
                                                  : QStringLiteral("color: rgb(255,0,0)"));
    m_keyFileLabel->setToolTip(m_keyFilePath);
}

void CScanerSettings::onPortError(QSerialPort* port, QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError)
        return;
    const bool portLost = error == QSerialPort::ReadError || error == QSerialPort::ResourceError;
    if (portLost && m_portFailed)
        return; // already reported; the close is on its way
    const QString line =
        QStringLiteral("Serial port errorOccurred: code[%1] - %2").arg(int(error)).arg(port->errorString());
    if (!portLost) {
        DEBUG_LOG << line;
        return;
    }
    // A vanished device keeps reporting read errors in a tight loop while the port is open:
    // report it once and close the port; the operator reopens it with the refresh button.
    m_portFailed = true;
    DEBUG_LOG << line << "- порт закрыт";
    showIcon(failedIcon);
    // Closed on the next pass of the event loop, not from inside the port's own notification.
    QMetaObject::invokeMethod(
        this,
        [guarded = QPointer<QSerialPort>(port)] {
            if (guarded && guarded->isOpen())
                guarded->close();
        },
        Qt::QueuedConnection);
}

void CScanerSettings::showIcon(const QString& path)
{
    m_iconPath = path;
    m_statusIcon->setPixmap(
        QPixmap(path).scaled(iconSize, iconSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}
