#include "AutomationTreeItems.h"

#include <cstdint>
#include <set>

std::vector<TreeItem> GatherSiblings(AutomationItem first,
                                     const std::function<AutomationItem(AutomationItem)>& next,
                                     const std::function<wxString(AutomationItem)>& text) {
    std::vector<TreeItem> items;
    std::set<void*> seen;
    for (AutomationItem item = first; item.IsOk() && seen.insert(item.GetID()).second; item = next(item)) {
        items.push_back({text(item), item});
    }
    return items;
}

std::uint64_t ItemIndex(AutomationItem item) { return reinterpret_cast<std::uintptr_t>(item.GetID()); }

AutomationItem IndexItem(std::uint64_t index) {
    return AutomationItem(reinterpret_cast<void*>(static_cast<std::uintptr_t>(index)));
}

int ItemValue(AutomationItem item) { return static_cast<int>(ItemIndex(item)); }
