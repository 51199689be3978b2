#pragma once

#include <QMainWindow>

// The program's one window: left panel, top panel and the registration page.
class CMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit CMainWindow(QWidget* parent = nullptr);

protected slots:
    void moveToCenter();
    void restartApp();
};
