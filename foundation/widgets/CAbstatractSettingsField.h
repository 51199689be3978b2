#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLayout;
class QVBoxLayout;

// A collapsible, checkable group of settings. Collapsed it shows only a header box; once
// expanded its checked group box holds the editors, and its check state says "use these".
class CAbstatractSettingsField : public QWidget
{
    Q_OBJECT
public:
    explicit CAbstatractSettingsField(QWidget* parent = nullptr);

    // The group's enabled flag that every concrete getter reports.
    bool isGroupEnabled() const;

    // Enabled, and so is every settings group this one is nested in: a group inside a
    // collapsed parent is out of the operator's sight and its values must not be used.
    bool isInUse() const;

signals:
    void edited();
    void showSetDeviceClassC(QString deviceClass);

public slots:
    void expand();
    void expandAll();

protected slots:
    void setGrName(QString name);
    void appendWidget(QWidget* widget);
    void appendLayout(QLayout* layout);

protected:
    // Nests a group inside this one; its edits count as edits of this group.
    void appendNestedGroup(CAbstatractSettingsField* group);
    QCheckBox* headerBox() const { return m_headerBox; }
    QGroupBox* groupBox() const { return m_groupBox; }
    QVBoxLayout* innerLayout() const { return m_innerLayout; }

private:
    void onHeaderToggled(bool checked);
    void onGroupToggled(bool checked);

    QVBoxLayout* m_outerLayout = nullptr;
    QCheckBox* m_headerBox = nullptr;
    QGroupBox* m_groupBox = nullptr;
    QVBoxLayout* m_innerLayout = nullptr;
    QList<QPointer<CAbstatractSettingsField>> m_nestedGroups;
};
