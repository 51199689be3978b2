#pragma once

#include <QMainWindow>

class CIAboutDevice;
class CommissioningJournal;
class CLeftPanel;
class CScanerSettings;
class CTopPanel;
class QVBoxLayout;

// The program's one window: the left panel, and beside it the top panel above the page.
class CMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit CMainWindow(QWidget* parent = nullptr);
    // The window with the given scanner panel in its left panel (a test gives one that reads a
    // pseudo-terminal); the window takes it over.
    explicit CMainWindow(CScanerSettings* scanner, QWidget* parent = nullptr);

protected slots:
    void moveToCenter();
    void restartApp();

private:
    // The journal of every registration and deletion answer, shown on the page's last tab.
    void keepJournal();

    CLeftPanel* m_leftPanel = nullptr;
    CTopPanel* m_topPanel = nullptr;
    CIAboutDevice* m_page = nullptr;
    QVBoxLayout* m_rightColumn = nullptr;
    CommissioningJournal* m_journal = nullptr;
};
