#pragma once
#include "base/OperationThread.h"
#include "tables/TableList.h"

namespace tw {

// A list of the window as work beside the window sees it: every call is
// made on the window's thread and waited for.
class ListOnWindow : public TableList {
public:
    explicit ListOnWindow(TableList& list) : l(list) {}
    int ListCount() const override { return onWindowThread([&] { return l.ListCount(); }); }
    QString List(int index) const override { return onWindowThread([&] { return l.List(index); }); }
    int ListIndex() const override { return onWindowThread([&] { return l.ListIndex(); }); }
    void setListIndex(int index) override { onWindowThread([&] { l.setListIndex(index); }); }
    bool Selected(int index) const override { return onWindowThread([&] { return l.Selected(index); }); }
    void setSelected(int index, bool selected) override { onWindowThread([&] { l.setSelected(index, selected); }); }
    int SelCount() const override { return onWindowThread([&] { return l.SelCount(); }); }
    void AddItem(const QString& name) override { onWindowThread([&] { l.AddItem(name); }); }
    void RemoveItem(int index) override { onWindowThread([&] { l.RemoveItem(index); }); }
    void Clear() override { onWindowThread([&] { l.Clear(); }); }

private:
    TableList& l;
};

}
