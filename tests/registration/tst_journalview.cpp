#include "common/TestRegistry.h"
#include "registration/CommissioningJournal.h"
#include "registration/JournalModel.h"
#include "registration/widgets/JournalView.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

// The view with the file chooser answered by the test.
struct TestJournalView : JournalView
{
    using JournalView::JournalView;
    QString exportPath;
    QString askExportFileName() override { return exportPath; }
};

QStringList shownDevEuis(const QTableView* table)
{
    QStringList column;
    for (int row = 0; row < table->model()->rowCount(); ++row)
        column << table->model()->index(row, JournalModel::devEuiColumn).data().toString();
    return column;
}

} // namespace

class TestJournalTab : public QObject
{
    Q_OBJECT
private slots:
    void showsRecordedLinesFiltersAndExports();
    void unwritableJournalIsShownInRed();
};

void TestJournalTab::showsRecordedLinesFiltersAndExports()
{
    QTemporaryDir dir;
    CommissioningJournal journal(dir.filePath(CommissioningJournal::fileName));
    journal.recordRegistration("70B3D57ED0000001", "first", "added");
    TestJournalView view(&journal);
    QAbstractItemModelTester tester(view.model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    view.show();
    auto* table = view.findChild<QTableView*>("journalTable");
    auto* devEuiFilter = view.findChild<QLineEdit*>("journalDevEuiFilter");
    auto* statusFilter = view.findChild<QComboBox*>("journalStatusFilter");
    auto* message = view.findChild<QLabel*>("journalMessage");
    QCOMPARE(shownDevEuis(table), QStringList{"70B3D57ED0000001"});

    // Lines recorded while the tab is open come first; the status list grows with them.
    journal.recordRegistrations({{"70B3D57ED0000002", "invalidAppKeyValue"}, {"70B3D57ED0000003", "added"}});
    QCOMPARE(shownDevEuis(table), (QStringList{"70B3D57ED0000003", "70B3D57ED0000002", "70B3D57ED0000001"}));
    QCOMPARE(statusFilter->count(), 3); // every status, added, invalidAppKeyValue

    statusFilter->setCurrentIndex(statusFilter->findData("added"));
    QCOMPARE(shownDevEuis(table), (QStringList{"70B3D57ED0000003", "70B3D57ED0000001"}));
    // The filter's clear button fades in and out with animations of Qt's own, which run only
    // while events are handled: each is let finish, or it would outlive the line edit.
    auto* clearButton = devEuiFilter->findChild<QToolButton*>();
    QVERIFY(clearButton);
    QTest::keyClicks(devEuiFilter, "0001");
    QTRY_COMPARE(clearButton->property("opacity").toReal(), 1.0);
    QCOMPARE(shownDevEuis(table), QStringList{"70B3D57ED0000001"});
    journal.recordDeletion("70B3D57ED0000001", "deleted");
    QCOMPARE(statusFilter->currentData().toString(), QStringLiteral("added")); // kept while the list grows
    devEuiFilter->clear();
    QTRY_COMPARE(clearButton->property("opacity").toReal(), 0.0);
    statusFilter->setCurrentIndex(0);
    QCOMPARE(table->model()->rowCount(), 4);

    // Export of today's lines; a range that ends before it starts is refused.
    view.exportPath = dir.filePath("today.csv");
    view.findChild<QPushButton*>("journalExportButton")->click();
    QCOMPARE(CommissioningJournal::read(view.exportPath).entries,
             CommissioningJournal::read(journal.path()).entries);
    QVERIFY(message->text().contains("4"));
    view.findChild<QDateEdit*>("journalFromDate")->setDate(QDate::currentDate().addDays(1));
    view.findChild<QPushButton*>("journalExportButton")->click();
    QCOMPARE(message->styleSheet(), QStringLiteral("color: rgb(255,0,0)"));
}

void TestJournalTab::unwritableJournalIsShownInRed()
{
    CommissioningJournal journal(QDir::current().filePath("no-such-directory/journal.csv"));
    JournalView view(&journal);
    auto* message = view.findChild<QLabel*>("journalMessage");
    journal.recordRegistration("70B3D57ED0000001", "", "added");
    QVERIFY(message->text().contains("no-such-directory"));
    QCOMPARE(message->styleSheet(), QStringLiteral("color: rgb(255,0,0)"));
}

RAVLO_REGISTER_TEST(TestJournalTab)
#include "tst_journalview.moc"
