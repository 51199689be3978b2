#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>

class CAbstatractSettingsField;
class QCheckBox;
class QComboBox;
class QGroupBox;

// The two boxes of a settings group (not those of its nested groups).
QCheckBox* headerBoxOf(CAbstatractSettingsField* field);
QGroupBox* groupBoxOf(CAbstatractSettingsField* field);

// Clicks a check box on its indicator.
void clickCheckBox(QCheckBox* box);
// Clicks the header box, as the operator does to expand a group.
void clickHeaderBox(CAbstatractSettingsField* field);
// Clicks the check in the group box's title, as the operator does to collapse a group.
void clickGroupBoxCheck(CAbstatractSettingsField* field);

// Moves a combo box to the item with the keyboard: Home and End straight to the first and
// last items, the arrow keys otherwise (one activation per step).
void chooseItem(QComboBox* combo, int index);
void chooseItem(QComboBox* combo, const QString& text);

// Answers the next message box with the given button, the way an operator would.
class MessageBoxAnswerer : public QObject
{
    Q_OBJECT
public:
    explicit MessageBoxAnswerer(QMessageBox::StandardButton answer);

    bool answered() const { return m_answered; }
    QString title() const { return m_title; }
    QString text() const { return m_text; }

private:
    void answerIfShown();

    QMessageBox::StandardButton m_answer;
    QTimer m_poll;
    bool m_answered = false;
    QString m_title;
    QString m_text;
};
