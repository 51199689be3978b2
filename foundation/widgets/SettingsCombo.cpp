#include "foundation/widgets/SettingsCombo.h"

#include <QComboBox>

namespace SettingsCombo {

void addItems(QComboBox* combo, const QVector<Item>& items)
{
    for (const Item& item : items)
        combo->addItem(item.first, item.second);
}

QVector<Item> numberedItems(const QString& prefix, int first, int last, const QString& suffix)
{
    QVector<Item> items;
    for (int n = first; n <= last; ++n)
        items.append({prefix + QString::number(n) + suffix, n});
    return items;
}

void selectCode(QComboBox* combo, const QVariant& code)
{
    combo->setCurrentIndex(combo->findData(code, Qt::UserRole, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

int currentIntCode(const QComboBox* combo)
{
    return combo->currentData().toInt();
}

} // namespace SettingsCombo
