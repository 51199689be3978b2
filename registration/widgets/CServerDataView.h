#pragma once

#include "server/LoRaDevice.h"

#include <QGroupBox>
#include <QVector>

class QLabel;

// "Данные устройства с сервера": the server's record of the device on the registration page,
// as rows of a caption and a value, above them the registered-devices caption and the status
// label. The first value label (beside "DevEui: ") also carries the page's short messages.
class CServerDataView : public QGroupBox
{
    Q_OBJECT
public:
    explicit CServerDataView(QWidget* parent = nullptr);

    QLabel* statusLabel() const { return m_status; }
    QLabel* registeredCaption() const { return m_registeredCaption; }
    QLabel* firstValueLabel() const { return m_rows.first().value; }

    // Hides and clears the status label and every caption and value label.
    void clearDeviceData();
    // A short message in the first value label (word wrap on), red or black.
    void showMessage(const QString& text, bool error);
    // The server's record, each row shown only when its value text is not empty.
    void showDevice(const LoRaDevice& device);
    // The status label's text and colour; shown.
    void showStatus(const QString& text, bool error);

    static QString devAddressText(quint32 devAddress);

private:
    struct Row
    {
        QLabel* caption = nullptr;
        QLabel* value = nullptr;
    };
    void addRow(const QString& caption, const QString& objectName);
    static QStringList valueTexts(const LoRaDevice& device);

    QLabel* m_registeredCaption = nullptr;
    QLabel* m_status = nullptr;
    QVector<Row> m_rows;
};
