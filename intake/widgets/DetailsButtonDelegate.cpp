#include "intake/widgets/DetailsButtonDelegate.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <QPainter>

namespace {
// The action text starts this far right of the cell's left edge.
constexpr int actionTextIndent = 40;
} // namespace

DetailsButtonDelegate::DetailsButtonDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

DetailsButtonDelegate::~DetailsButtonDelegate()
{
    showHand(false);
}

void DetailsButtonDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);

    QFont font = option.font;
    font.setItalic(true);
    font.setUnderline(!index.parent().isValid() && option.state.testFlag(QStyle::State_MouseOver));

    painter->save();
    painter->setFont(font);
    painter->setPen(option.state.testFlag(QStyle::State_Selected) ? Qt::white : Qt::black);
    painter->drawText(option.rect.adjusted(actionTextIndent, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                      tr("Удалить"));
    painter->restore();
}

bool DetailsButtonDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                        const QStyleOptionViewItem& option, const QModelIndex& index)
{
    watchView(option.widget);
    if (event->type() == QEvent::MouseMove)
        updateCursor(static_cast<QMouseEvent*>(event)->pos());
    if (event->type() == QEvent::MouseButtonRelease &&
        option.rect.contains(static_cast<QMouseEvent*>(event)->localPos().toPoint()))
        emit deleteDevice(index.data(Qt::UserRole).toString());
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

// The view tells a delegate only about events over its own cells; to put the normal cursor
// back when the mouse moves to another column or leaves the table, the delegate watches the
// view's viewport itself from the first event it gets.
void DetailsButtonDelegate::watchView(const QWidget* view)
{
    auto* itemView = qobject_cast<QAbstractItemView*>(const_cast<QWidget*>(view));
    if (!itemView || itemView == m_view)
        return;
    showHand(false);
    if (m_viewport)
        m_viewport->removeEventFilter(this);
    m_view = itemView;
    m_viewport = itemView->viewport();
    m_viewport->installEventFilter(this);
}

bool DetailsButtonDelegate::eventFilter(QObject* watched, QEvent* event)
{
    // The base filter treats the watched widget as an open editor: keep the viewport away from it.
    if (!m_viewport || watched != m_viewport)
        return QStyledItemDelegate::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseMove:
        updateCursor(static_cast<QMouseEvent*>(event)->pos());
        break;
    case QEvent::Leave:
    case QEvent::HoverLeave:
        showHand(false);
        break;
    default:
        break;
    }
    return false;
}

void DetailsButtonDelegate::updateCursor(const QPoint& viewportPos)
{
    if (!m_view)
        return;
    const QModelIndex index = m_view->indexAt(viewportPos);
    showHand(index.isValid() && !index.parent().isValid() && m_view->itemDelegate(index) == this);
}

void DetailsButtonDelegate::showHand(bool hand)
{
    if (hand == m_handShown)
        return;
    m_handShown = hand;
    if (!m_viewport)
        return;
    if (hand)
        m_viewport->setCursor(Qt::PointingHandCursor);
    else
        m_viewport->unsetCursor();
}
