#pragma once

#include <QPair>
#include <QString>
#include <QVariant>
#include <QVector>

class QComboBox;

// Combo boxes of the settings groups carry the code of each choice as item data; records
// store the codes, and loading a record selects the item whose data matches exactly.
namespace SettingsCombo {

using Item = QPair<QString, QVariant>;

void addItems(QComboBox* combo, const QVector<Item>& items);

// Items "<prefix><n><suffix>" with the data n, for n from first to last.
QVector<Item> numberedItems(const QString& prefix, int first, int last, const QString& suffix = QString());

// Selects the item whose data equals code (case-sensitive); none matching leaves no current item.
void selectCode(QComboBox* combo, const QVariant& code);

// The current item's code as a number; 0 when no item is current.
int currentIntCode(const QComboBox* combo);

} // namespace SettingsCombo
