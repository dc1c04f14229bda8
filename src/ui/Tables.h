#pragma once
// Small helpers shared by the windows that show read-only tables: the text of
// a std::string, a table the operator reads but does not edit, and its items
// made on first use.
#include <QHeaderView>
#include <QString>
#include <QStringList>
#include <QTableWidget>

#include <string>

namespace qm::ui {

inline QString Q(const std::string& s) { return QString::fromStdString(s); }

// A table with the given column headers that the operator can move through
// and select a cell of, but not edit; its rows keep a fixed height.
inline QTableWidget* ReadOnlyTable(QWidget* parent, const QStringList& columns)
{
    auto* table = new QTableWidget(0, static_cast<int>(columns.size()), parent);
    table->setHorizontalHeaderLabels(columns);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setTabKeyNavigation(false); // Tab leaves the table; the arrow keys move inside it
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    return table;
}

// The item at row, column, made centred and read-only when there is none yet.
inline QTableWidgetItem* Item(QTableWidget* table, int row, int column)
{
    QTableWidgetItem* item = table->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setTextAlignment(Qt::AlignCenter);
        table->setItem(row, column, item);
    }
    return item;
}

} // namespace qm::ui
