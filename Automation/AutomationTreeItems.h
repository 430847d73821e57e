// One level of a tree, as the tree providers walk it through their owner.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <wx/itemid.h>
#include <wx/string.h>

using AutomationItem = wxItemId<void*>;

// One child: its text and its handle.
struct TreeItem {
    wxString text;
    AutomationItem item;
};

// The siblings from first on (next gives the one after an item, text its
// text), in order, up to the first null item; an item met again ends the
// walk, so an owner whose siblings loop cannot hang it.
std::vector<TreeItem> GatherSiblings(AutomationItem first,
                                     const std::function<AutomationItem(AutomationItem)>& next,
                                     const std::function<wxString(AutomationItem)>& text);

// The handle as the 64-bit index of an element record, and back.
std::uint64_t ItemIndex(AutomationItem item);
AutomationItem IndexItem(std::uint64_t index);
// The handle's value as a 32-bit integer ("AXIndex").
int ItemValue(AutomationItem item);
