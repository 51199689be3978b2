#include "registration/widgets/CServerDataView.h"

#include "foundation/DebugLog.h"
#include "foundation/widgets/WidgetHelpers.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {
const QString redStyle = QStringLiteral("color: rgb(255,0,0)");
const QString blackStyle = QStringLiteral("color: rgb(0,0,0)");

QString coordinateText(double value)
{
    return QString::number(value, 'g', 6);
}
} // namespace

CServerDataView::CServerDataView(QWidget* parent) : QGroupBox(tr("Данные устройства с сервера"), parent)
{
    setObjectName(QStringLiteral("serverDataGroup"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(2);

    QHBoxLayout* statusRow = WIDGET::prepareInnerHLayout(layout);
    m_registeredCaption = new QLabel(tr("Зарегистрировано устройств: "), this);
    m_registeredCaption->setObjectName(QStringLiteral("registeredCaption"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("deviceStatusLabel"));
    statusRow->addWidget(m_registeredCaption);
    statusRow->addWidget(m_status);
    statusRow->addStretch();

    addRow(QStringLiteral("DevEui: "), QStringLiteral("serverDevEui"));
    addRow(QStringLiteral("AppEui: "), QStringLiteral("serverAppEui"));
    addRow(QStringLiteral("AppKey:"), QStringLiteral("serverAppKey"));
    addRow(QStringLiteral("DevAddr: "), QStringLiteral("serverDevAddr"));
    addRow(tr("AppsKye:"), QStringLiteral("serverAppsKey"));
    addRow(QStringLiteral("NwksKey:"), QStringLiteral("serverNwksKey"));
    addRow(tr("Имя устройства: "), QStringLiteral("serverDevName"));
    addRow(tr("Класс устройства: "), QStringLiteral("serverDevClass"));
    addRow(tr("Время отклика(мс): "), QStringLiteral("serverReactionTime"));
    addRow(tr("Частотный план: "), QStringLiteral("serverFreqPlan"));
    addRow(tr("Частота 4:"), QStringLiteral("serverFreq4"));
    addRow(tr("Частота 5:"), QStringLiteral("serverFreq5"));
    addRow(tr("Частота 6:"), QStringLiteral("serverFreq6"));
    addRow(tr("Частота 7:"), QStringLiteral("serverFreq7"));
    addRow(tr("Частота 8:"), QStringLiteral("serverFreq8"));
    addRow(tr("Rx2 частота: "), QStringLiteral("serverFreqRx2"));
    addRow(QStringLiteral("Enable server ADR:"), QStringLiteral("serverAdr"));
    addRow(tr("Скорость передачи: "), QStringLiteral("serverPreferDr"));
    addRow(tr("Мощность передачи: "), QStringLiteral("serverPreferPower"));
    addRow(tr("Окно RX: "), QStringLiteral("serverRxWindow"));
    addRow(tr("Задержка RX1: "), QStringLiteral("serverDelayRx1"));
    addRow(tr("Скорость передачи RX2: "), QStringLiteral("serverDrRx2"));
    addRow(tr("Задержка присоединения:"), QStringLiteral("serverDelayJoin1"));
    addRow(tr("Широта: "), QStringLiteral("serverLatitude"));
    addRow(tr("Долгота: "), QStringLiteral("serverLongitude"));
    addRow(tr("Высота над уровнем моря: "), QStringLiteral("serverAltitude"));
    layout->addStretch();
}

void CServerDataView::addRow(const QString& caption, const QString& objectName)
{
    Row row;
    row.caption = new QLabel(caption, this);
    row.value = new QLabel(this);
    row.value->setObjectName(objectName);
    row.value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QHBoxLayout* line = WIDGET::prepareInnerHLayout(qobject_cast<QBoxLayout*>(layout()));
    line->addWidget(row.caption);
    line->addWidget(row.value, 1);
    m_rows.append(row);
}

QString CServerDataView::devAddressText(quint32 devAddress)
{
    return QStringLiteral("%1").arg(devAddress, 8, 16, QLatin1Char('0')).toUpper();
}

QStringList CServerDataView::valueTexts(const LoRaDevice& d)
{
    // In the order of the rows.
    return {d.devEui,
            d.appEui,
            d.appKey,
            devAddressText(d.devAddress),
            d.appsKey,
            d.nwksKey,
            d.devName,
            d.devClass,
            QString::number(d.reactionTime),
            d.freqPlanName,
            QString::number(d.freq4),
            QString::number(d.freq5),
            QString::number(d.freq6),
            QString::number(d.freq7),
            QString::number(d.freq8),
            QString::number(d.freqRx2),
            d.serverAdrEnable ? QStringLiteral("true") : QStringLiteral("false"),
            QString::number(d.preferDr),
            QString::number(d.preferPower),
            QString::number(d.rxWindow),
            QString::number(d.delayRx1),
            QString::number(d.drRx2),
            QString::number(d.delayJoin1),
            coordinateText(d.latitude),
            coordinateText(d.longitude),
            QString::number(d.altitude)};
}

void CServerDataView::clearDeviceData()
{
    m_status->hide();
    m_status->clear();
    for (const Row& row : qAsConst(m_rows)) {
        row.caption->hide();
        row.value->hide();
        row.value->clear();
        row.value->setWordWrap(false);
        row.value->setStyleSheet(QString());
    }
}

void CServerDataView::showMessage(const QString& text, bool error)
{
    QLabel* label = firstValueLabel();
    label->setWordWrap(true);
    label->setText(text);
    label->setStyleSheet(error ? redStyle : blackStyle);
    label->show();
}

void CServerDataView::showStatus(const QString& text, bool error)
{
    m_status->setText(text);
    m_status->setStyleSheet(error ? redStyle : blackStyle);
    m_status->show();
}

void CServerDataView::showDevice(const LoRaDevice& device)
{
    const QStringList values = valueTexts(device);
    DEBUG_LOG << "DevAddr:" << values.at(3);
    for (int i = 0; i < m_rows.size(); ++i) {
        const Row& row = m_rows.at(i);
        row.value->setWordWrap(false);
        row.value->setStyleSheet(blackStyle);
        row.value->setText(values.at(i));
        row.caption->setVisible(!values.at(i).isEmpty());
        row.value->setVisible(!values.at(i).isEmpty());
    }
    m_registeredCaption->setVisible(!m_status->text().isEmpty());
    m_status->setVisible(!m_status->text().isEmpty());
    show();
}
