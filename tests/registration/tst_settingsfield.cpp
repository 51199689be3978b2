#include "SettingsFieldTestHelpers.h"
#include "common/TestRegistry.h"
#include "registration/CAbstatractSettingsField.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A group with one editor, built the way the concrete groups build theirs.
class ProbeField : public CAbstatractSettingsField
{
public:
    explicit ProbeField(const QString& name, QWidget* parent = nullptr) : CAbstatractSettingsField(parent)
    {
        setGrName(name);
        editor = new QLineEdit;
        appendWidget(editor);
    }
    void nest(QWidget* widget) { appendWidget(widget); }

    QLineEdit* editor = nullptr;
};

bool isExpanded(CAbstatractSettingsField* field)
{
    return !headerBoxOf(field)->isVisibleTo(field) && groupBoxOf(field)->isVisibleTo(field) &&
           groupBoxOf(field)->isChecked() && field->isGroupEnabled();
}

bool isCollapsed(CAbstatractSettingsField* field)
{
    return headerBoxOf(field)->isVisibleTo(field) && !headerBoxOf(field)->isChecked() &&
           !groupBoxOf(field)->isVisibleTo(field) && !groupBoxOf(field)->isChecked() &&
           !field->isGroupEnabled();
}

} // namespace

class TestSettingsFieldFramework : public QObject
{
    Q_OBJECT
private slots:
    void operatorExpandsAndCollapsesWithBothBoxes();
    void expandAllSkipsDestroyedChild();
    void groupInsideCollapsedParentIsNotInUse();
};

void TestSettingsFieldFramework::operatorExpandsAndCollapsesWithBothBoxes()
{
    ProbeField field(QStringLiteral("Группа"));
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    QCOMPARE(headerBoxOf(&field)->text(), QStringLiteral("Группа"));
    QCOMPARE(groupBoxOf(&field)->title(), QStringLiteral("Группа"));
    QVERIFY(isCollapsed(&field));

    clickHeaderBox(&field);
    QVERIFY(isExpanded(&field));
    QTest::keyClicks(field.editor, QStringLiteral("kept"));

    clickGroupBoxCheck(&field);
    QVERIFY(isCollapsed(&field));
    QCOMPARE(field.editor->text(), QStringLiteral("kept"));

    clickHeaderBox(&field);
    QVERIFY(isExpanded(&field));
    QCOMPARE(field.editor->text(), QStringLiteral("kept"));
}

void TestSettingsFieldFramework::expandAllSkipsDestroyedChild()
{
    ProbeField parent(QStringLiteral("parent"));
    auto* first = new ProbeField(QStringLiteral("first"));
    auto* doomed = new ProbeField(QStringLiteral("doomed"));
    auto* last = new ProbeField(QStringLiteral("last"));
    auto* grandChild = new ProbeField(QStringLiteral("grandchild"));
    parent.nest(first);
    parent.nest(doomed);
    parent.nest(last);
    last->nest(grandChild);
    delete doomed;

    parent.expandAll();
    for (CAbstatractSettingsField* field :
         {static_cast<CAbstatractSettingsField*>(&parent), static_cast<CAbstatractSettingsField*>(first),
          static_cast<CAbstatractSettingsField*>(last), static_cast<CAbstatractSettingsField*>(grandChild)})
        QVERIFY2(isExpanded(field), qPrintable(headerBoxOf(field)->text()));
}

void TestSettingsFieldFramework::groupInsideCollapsedParentIsNotInUse()
{
    ProbeField parent(QStringLiteral("parent"));
    auto* child = new ProbeField(QStringLiteral("child"));
    parent.nest(child);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    QVERIFY(!child->isInUse());

    parent.expandAll();
    QVERIFY(child->isInUse());

    // The operator collapses the parent: the child keeps its own check but is out of use.
    clickGroupBoxCheck(&parent);
    QVERIFY(child->isGroupEnabled());
    QVERIFY(!child->isInUse());

    clickHeaderBox(&parent);
    QVERIFY(child->isInUse());
}

RAVLO_REGISTER_TEST(TestSettingsFieldFramework)
#include "tst_settingsfield.moc"
