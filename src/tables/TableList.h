#pragma once
#include <QString>

namespace tw {

// One side's table list: kept sorted without regard to case, with extended
// multiple selection and a current entry separate from the selection.
class TableList {
public:
    virtual ~TableList() = default;
    virtual int ListCount() const = 0;
    virtual QString List(int index) const = 0;
    virtual int ListIndex() const = 0;           // -1: no current entry
    virtual void setListIndex(int index) = 0;    // makes it current, selects nothing
    virtual bool Selected(int index) const = 0;
    virtual void setSelected(int index, bool selected) = 0;
    virtual int SelCount() const = 0;
    virtual void AddItem(const QString& name) = 0;  // at its sorted place, unselected
    virtual void RemoveItem(int index) = 0;
    virtual void Clear() = 0;

    // Nothing to act on: no current entry and nothing selected. "Select
    // All" selects every entry without making one current.
    bool nothingChosen() const { return ListIndex() == -1 && SelCount() == 0; }
};

}
