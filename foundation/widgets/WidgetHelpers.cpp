#include "foundation/widgets/WidgetHelpers.h"

#include "foundation/DebugLog.h"

#include <QBoxLayout>

namespace WIDGET {

QHBoxLayout* prepareInnerHLayout(QBoxLayout* parentLayout)
{
    auto* row = new QHBoxLayout;
    row->setContentsMargins(1, 1, 1, 1);
    row->setSpacing(2);
    if (!parentLayout) {
        DEBUG_LOG << "Некорректный аргумент!";
        return row;
    }
    parentLayout->addLayout(row);
    return row;
}

} // namespace WIDGET
