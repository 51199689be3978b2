#pragma once

#include "server/ServerRecords.h"

#include <QWidget>

class QComboBox;
class QLabel;

// The strip above the page: device counters, removal of the devices added in this run, language.
class CTopPanel : public QWidget
{
    Q_OBJECT
public:
    explicit CTopPanel(QWidget* parent = nullptr);

signals:
    void closeProgramm();

public slots:
    void countDevicesOnServer(CloraInfoResp countdeviceinfo);
    void setCurrentDevicesCount(int count);

private:
    void changeLanguage(int index);
    void removeAddedDevices();

    QLabel* m_totalCaption = nullptr;
    QLabel* m_totalCount = nullptr;
    QLabel* m_addedCaption = nullptr;
    QLabel* m_addedCount = nullptr;
    QLabel* m_languageCaption = nullptr;
    QComboBox* m_languageSelector = nullptr;
};
