#pragma once
#include "tables/TableList.h"
#include <QListWidget>

namespace tw {

// The table list as a Qt list widget. It needs no window around it, so
// operations can be tested on one that is never shown.
class TableListWidget : public QListWidget, public TableList {
    Q_OBJECT
public:
    explicit TableListWidget(QWidget* parent = nullptr);

    int ListCount() const override;
    QString List(int index) const override;
    int ListIndex() const override;
    void setListIndex(int index) override;
    bool Selected(int index) const override;
    void setSelected(int index, bool selected) override;
    int SelCount() const override;
    void AddItem(const QString& name) override;
    void RemoveItem(int index) override;
    void Clear() override;

    // All entries, top to bottom.
    QStringList entries() const;
};

}
