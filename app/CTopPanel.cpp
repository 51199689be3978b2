#include "app/CTopPanel.h"

#include "downlink/DataSender.h"
#include "foundation/CSettings.h"
#include "foundation/widgets/WidgetHelpers.h"
#include "intake/ScannedDevices.h"

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

CTopPanel::CTopPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("topPanel"));
    setFixedHeight(50);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(2);
    QHBoxLayout* row = WIDGET::prepareInnerHLayout(layout);

    m_totalCaption = new QLabel(tr("Зарегистрировано всего:"), this);
    m_totalCount = new QLabel(QStringLiteral("[all count]"), this);
    m_totalCount->setObjectName(QStringLiteral("totalCountLabel"));
    m_addedCaption = new QLabel(tr("              Добавлено устройств:"), this);
    m_addedCount = new QLabel(QStringLiteral("0"), this);
    m_addedCount->setObjectName(QStringLiteral("addedCountLabel"));
    auto* removeButton = new QPushButton(tr("Удалить добавленые устройства"), this);
    removeButton->setObjectName(QStringLiteral("removeAddedButton"));
    m_languageCaption = new QLabel(tr("Язык: "), this);

    m_languageSelector = new QComboBox(this);
    m_languageSelector->setObjectName(QStringLiteral("languageSelector"));
    m_languageSelector->addItem(QStringLiteral("English"), QStringLiteral("en"));
    m_languageSelector->addItem(QStringLiteral("Русский"), QStringLiteral("ru"));
    const QString language = CSettings::readValue(CSettings::language).toString();
    // An unknown stored code (also "EN") leaves the selector without a current item.
    m_languageSelector->setCurrentIndex(language.isEmpty() ? 1 : m_languageSelector->findData(language));

    for (QWidget* widget : {static_cast<QWidget*>(m_totalCaption), static_cast<QWidget*>(m_totalCount),
                            static_cast<QWidget*>(m_addedCaption), static_cast<QWidget*>(m_addedCount),
                            static_cast<QWidget*>(removeButton)})
        row->addWidget(widget);
    row->addStretch();
    row->addWidget(m_languageCaption);
    row->addWidget(m_languageSelector);

    // Connected only now, so the initial selection changes nothing.
    connect(m_languageSelector, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CTopPanel::changeLanguage);
    connect(ScannedDevices::instance(), &ScannedDevices::devicesChanged, this,
            &CTopPanel::setCurrentDevicesCount);
    connect(removeButton, &QPushButton::clicked, this, &CTopPanel::removeAddedDevices);
}

void CTopPanel::countDevicesOnServer(CloraInfoResp countdeviceinfo)
{
    m_totalCount->setText(
        QString::number(countdeviceinfo.deviceCountQelt + countdeviceinfo.deviceCountOther));
}

void CTopPanel::setCurrentDevicesCount(int count)
{
    m_addedCount->setText(QString::number(count));
}

void CTopPanel::changeLanguage(int index)
{
    const QString code = m_languageSelector->itemData(index).toString();
    CSettings::writeValue(CSettings::language, code);
    // Written in the language still on screen; these two texts are never translated.
    const QString text =
        code == QLatin1String("ru")
            ? QStringLiteral("Attention, the program will restart to display the translation correctly")
            : QStringLiteral("Внимание, программа перезапустится, для корректного отображения перевода");
    QMessageBox box(QMessageBox::Information, QString(), text);
    box.setObjectName(QStringLiteral("restartNotice"));
    box.exec();
    // The box has only its OK button, so closing it in any way restarts the program.
    emit closeProgramm();
}

void CTopPanel::removeAddedDevices()
{
    QStringList devEuis = ScannedDevices::instance()->keys();
    devEuis.removeDuplicates();
    if (devEuis.isEmpty())
        return;
    const QMessageBox::StandardButton answer = QMessageBox::question(
        this, tr("Удаление устройств"),
        tr("Удалить с сервера устройства, добавленные в этом сеансе (%1)?").arg(devEuis.size()),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    // Without a login the request cannot go out; the record keeps the devices for a later try.
    if (!DataSender::deleteDevices(devEuis)) {
        QMessageBox::warning(this, QString(),
                             tr("Нет подключения к серверу: добавленные устройства не удалены с сервера."));
        return;
    }
    ScannedDevices::instance()->clear();
}
