#include "AutomationContainer.h"

#include <cstdint>

#include "AutomationListBox.h"
#include "AutomationListControl.h"
#include "AutomationTreeControl.h"
#include "AutomationTreeListBox.h"

namespace {

std::unique_ptr<AutomationControl> MakeControl(AutomationControl::Type type, const Automation* owner) {
    switch (type) {
        case AutomationControl::Type::ListControl:
            return std::make_unique<AutomationListControl>(owner);
        case AutomationControl::Type::ListBox:
            return std::make_unique<AutomationListBox>(owner);
        case AutomationControl::Type::TreeControl:
            return std::make_unique<AutomationTreeControl>(owner);
        case AutomationControl::Type::TreeListBox:
            return std::make_unique<AutomationTreeListBox>(owner);
    }
    return nullptr;
}

}  // namespace

AutomationContainer& AutomationContainer::Get() {
    static AutomationContainer s_container;
    return s_container;
}

AutomationControl* AutomationContainer::GetControl(AutomationControl::Type type, const Automation* owner) {
    const auto known = m_controls.find(owner);
    if (known != m_controls.end()) return known->second.get();
    std::unique_ptr<AutomationControl> control = MakeControl(type, owner);
    if (!control) return nullptr;
    return m_controls.emplace(owner, std::move(control)).first->second.get();
}

extern "C" VEQ_AUTOMATION_SHARED AutomationControl* GetAutomationControl(AutomationControl::Type type,
                                                                        const Automation* owner) {
    return AutomationContainer::Get().GetControl(type, owner);
}
