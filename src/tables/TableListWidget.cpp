#include "tables/TableListWidget.h"
#include "connect/DbError.h"

namespace tw {

namespace {
[[noreturn]] void invalidIndex() { throw DbError(QStringLiteral("Invalid property array index")); }
}

TableListWidget::TableListWidget(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
}

int TableListWidget::ListCount() const { return count(); }

QString TableListWidget::List(int index) const {
    if (index < 0 || index >= count())
        invalidIndex();
    return item(index)->text();
}

int TableListWidget::ListIndex() const { return currentRow(); }

void TableListWidget::setListIndex(int index) {
    if (index < -1 || index >= count())
        invalidIndex();
    setCurrentRow(index, QItemSelectionModel::NoUpdate);
}

bool TableListWidget::Selected(int index) const {
    if (index < 0 || index >= count())
        invalidIndex();
    return item(index)->isSelected();
}

void TableListWidget::setSelected(int index, bool selected) {
    if (index < 0 || index >= count())
        invalidIndex();
    item(index)->setSelected(selected);
}

int TableListWidget::SelCount() const { return int(selectedItems().size()); }

// Sorted without regard to case (both sides lower-cased); an equal name goes
// after those already there.
void TableListWidget::AddItem(const QString& name) {
    int row = count();
    const QString key = name.toLower();
    while (row > 0 && item(row - 1)->text().toLower() > key)
        --row;
    insertItem(row, name);
}

void TableListWidget::RemoveItem(int index) {
    if (index < 0 || index >= count())
        invalidIndex();
    delete takeItem(index);
}

void TableListWidget::Clear() { clear(); }

QStringList TableListWidget::entries() const {
    QStringList all;
    for (int i = 0; i < count(); ++i)
        all << item(i)->text();
    return all;
}

}
