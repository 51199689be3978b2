#include "app/CMainWindow.h"

#include "app/AppStartup.h"
#include "app/CLeftPanel.h"
#include "app/CTopPanel.h"
#include "registration/BulkRegistration.h"
#include "registration/CommissioningJournal.h"
#include "registration/widgets/CIAboutDevice.h"
#include "registration/widgets/JournalView.h"
#include "server/CMessageParser.h"
#include "server/CServerClient.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QProcess>
#include <QScreen>

CMainWindow::CMainWindow(QWidget* parent) : CMainWindow(nullptr, parent) {}

CMainWindow::CMainWindow(CScanerSettings* scanner, QWidget* parent) : QMainWindow(parent)
{
    setGeometry(0, 20, 640, 480);
    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->setSpacing(2);
    setCentralWidget(central);

    m_leftPanel = new CLeftPanel(central, scanner);
    m_leftPanel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Minimum);
    layout->addWidget(m_leftPanel);

    m_rightColumn = new QVBoxLayout;
    m_rightColumn->setContentsMargins(10, 0, 0, 0);
    layout->addLayout(m_rightColumn);
    m_topPanel = new CTopPanel(central);
    m_rightColumn->addWidget(m_topPanel);
    // The registration page takes the remaining space below the top panel.
    m_page = new CIAboutDevice(central);
    m_page->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);
    m_rightColumn->addWidget(m_page);

    connect(m_leftPanel, &CLeftPanel::newDeviceInfo, m_page, &CIAboutDevice::scanDeviceInfo);
    connect(m_leftPanel, &CLeftPanel::newDevicesList, m_page, &CIAboutDevice::regDevicesList);
    connect(m_leftPanel, &CLeftPanel::stopDevicesList, m_page, &CIAboutDevice::stopDevicesList);
    connect(m_page->listRegistration(), &BulkRegistration::finished, m_leftPanel,
            &CLeftPanel::devicesListEnded);
    connect(m_leftPanel, &CLeftPanel::newSN, m_page, &CIAboutDevice::snReceived);
    connect(m_leftPanel, &CLeftPanel::scanUnreadable, m_page, &CIAboutDevice::scanUnreadable);
    connect(m_leftPanel, &CLeftPanel::keySourceNote, m_page, &CIAboutDevice::showKeySource);
    keepJournal();
    connect(m_page, &CIAboutDevice::resizeWindow, this, [this] { resize(minimumSizeHint()); });
    connect(m_topPanel, &CTopPanel::closeProgramm, this, &CMainWindow::restartApp);
    connect(CMessageParser::instance(), &CMessageParser::serverInfoResp, m_topPanel,
            &CTopPanel::countDevicesOnServer);
    // The panels need more than the first 640 x 480; take the size the window will be shown
    // with before placing it, or it grows past the screen's right edge when it appears.
    resize(size().expandedTo(minimumSizeHint()));
    moveToCenter();
}

void CMainWindow::keepJournal()
{
    m_journal = new CommissioningJournal(CommissioningJournal::defaultPath(), this);
    m_page->addPageTab(new JournalView(m_journal, m_page), JournalView::tabTitle());
    const CMessageParser* parser = CMessageParser::instance();
    connect(parser, &CMessageParser::mngDevResult, m_journal,
            [this](const QString& devEui, const QString& status) {
                // The answer belongs to the device on the page unless another has been scanned since.
                const LoRaDevice current = m_page->currentDevice();
                const QString name =
                    current.devEui.compare(devEui, Qt::CaseInsensitive) == 0 ? current.devName : QString();
                m_journal->recordRegistration(devEui, name, status);
            });
    connect(parser, &CMessageParser::mngDevsRespSignal, m_journal,
            &CommissioningJournal::recordRegistrations);
    connect(parser, &CMessageParser::devicesDeleted, m_journal, &CommissioningJournal::recordDeletions);
}

void CMainWindow::moveToCenter()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QPoint centre = available.center();
    int x = int(centre.x() - 0.75 * width());
    int y = int(centre.y() - 0.45 * height());
    // Left of and above the centre, but never off the screen: a window wider or taller than
    // the screen keeps its top-left corner on it.
    x = qMax(available.left(), qMin(x, available.right() + 1 - width()));
    y = qMax(available.top(), qMin(y, available.bottom() + 1 - height()));
    move(x, y);
}

void CMainWindow::restartApp()
{
    // The server must not keep a login that nobody will use again.
    CServerClient::instance()->logOutBeforeExit();
    QCoreApplication::quit();
    const AppStartup::RestartCommand command =
        AppStartup::restartCommand(QCoreApplication::arguments(), QCoreApplication::applicationFilePath());
    QProcess::startDetached(command.program, command.arguments);
}
