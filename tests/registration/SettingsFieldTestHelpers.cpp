#include "SettingsFieldTestHelpers.h"

#include "registration/CAbstatractSettingsField.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QtTest>

QCheckBox* headerBoxOf(CAbstatractSettingsField* field)
{
    return field->findChild<QCheckBox*>(QStringLiteral("groupHeaderBox"), Qt::FindDirectChildrenOnly);
}

QGroupBox* groupBoxOf(CAbstatractSettingsField* field)
{
    return field->findChild<QGroupBox*>(QStringLiteral("groupBox"), Qt::FindDirectChildrenOnly);
}

void clickCheckBox(QCheckBox* box)
{
    // The indicator sits at the left edge of the box.
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(6, box->height() / 2));
}

void clickHeaderBox(CAbstatractSettingsField* field)
{
    clickCheckBox(headerBoxOf(field));
}

void clickGroupBoxCheck(CAbstatractSettingsField* field)
{
    QGroupBox* box = groupBoxOf(field);
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.midLineWidth = 0;
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxCheckBox | QStyle::SC_GroupBoxLabel;
    option.state |= box->isChecked() ? QStyle::State_On : QStyle::State_Off;
    const QRect check =
        box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxCheckBox, box);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, check.center());
}

void chooseItem(QComboBox* combo, int index)
{
    if (index == combo->currentIndex())
        return;
    if (index == combo->count() - 1) {
        QTest::keyClick(combo, Qt::Key_End);
        return;
    }
    if (combo->currentIndex() < 0 || index == 0)
        QTest::keyClick(combo, Qt::Key_Home);
    // A fixed number of steps from where the box stood: what the box does on its own in
    // between (a handler choosing another item) is not corrected here.
    const int steps = index - qMax(combo->currentIndex(), 0);
    for (int step = 0; step < qAbs(steps); ++step)
        QTest::keyClick(combo, steps > 0 ? Qt::Key_Down : Qt::Key_Up);
}

void chooseItem(QComboBox* combo, const QString& text)
{
    chooseItem(combo, combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

MessageBoxAnswerer::MessageBoxAnswerer(QMessageBox::StandardButton answer) : m_answer(answer)
{
    m_poll.setInterval(10);
    connect(&m_poll, &QTimer::timeout, this, &MessageBoxAnswerer::answerIfShown);
    m_poll.start();
}

void MessageBoxAnswerer::answerIfShown()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box)
        return;
    m_poll.stop();
    m_title = box->windowTitle();
    m_text = box->text();
    QAbstractButton* button = box->button(m_answer);
    if (!button)
        button = box->buttons().value(0);
    m_answered = true;
    button->click();
}
