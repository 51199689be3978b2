#include "app/CMainWindow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QProcess>
#include <QScreen>

CMainWindow::CMainWindow(QWidget* parent) : QMainWindow(parent)
{
    setGeometry(0, 20, 640, 480);
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(2);
    setCentralWidget(central);
    moveToCenter();
}

void CMainWindow::moveToCenter()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QPoint centre = screen->availableGeometry().center();
    move(int(centre.x() - 0.75 * width()), int(centre.y() - 0.45 * height()));
}

void CMainWindow::restartApp()
{
    QCoreApplication::quit();
    QStringList arguments = QCoreApplication::arguments();
    // The first argument is normally the program's path; fall back to the platform's own answer.
    const QString program = arguments.isEmpty() ? QCoreApplication::applicationFilePath() : arguments.first();
    QProcess::startDetached(program, arguments);
}
