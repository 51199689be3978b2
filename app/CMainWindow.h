#pragma once

#include <QMainWindow>

class CLeftPanel;
class CTopPanel;
class QVBoxLayout;

// The program's one window: the left panel, and beside it the top panel above the page.
class CMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit CMainWindow(QWidget* parent = nullptr);

protected slots:
    void moveToCenter();
    void restartApp();

private:
    CLeftPanel* m_leftPanel = nullptr;
    CTopPanel* m_topPanel = nullptr;
    QVBoxLayout* m_rightColumn = nullptr;
};
