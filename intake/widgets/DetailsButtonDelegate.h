#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

class QAbstractItemView;

// Draws the "delete" action of the server device table and reports a click on it with the
// row's DevEUI (the model's Qt::UserRole). While the mouse is over an action cell the view
// shows the pointing hand; everywhere else its normal cursor.
class DetailsButtonDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit DetailsButtonDelegate(QObject* parent = nullptr);
    ~DetailsButtonDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

signals:
    void deleteDevice(QString devEui);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchView(const QWidget* view);
    void updateCursor(const QPoint& viewportPos);
    void showHand(bool hand);

    QPointer<QAbstractItemView> m_view;
    QPointer<QWidget> m_viewport; // kept apart: it may go before the view while the view is destroyed
    bool m_handShown = false;
};
