// The registry of attribute providers: one per owner for the life of the
// process, made on the owner's first request and freed when the library's
// statics are destroyed.
#pragma once

#include <map>
#include <memory>

#include "Automation.h"

class AutomationContainer {
public:
    static AutomationContainer& Get();

    // The owner's provider; a new one of type on the owner's first request
    // (the type of later requests is not looked at). Null, with nothing
    // stored, for a type other than the four.
    AutomationControl* GetControl(AutomationControl::Type type, const Automation* owner);

private:
    AutomationContainer() = default;

    // Ordered by the owner's address; a null owner is a key like another.
    std::map<const Automation*, std::unique_ptr<AutomationControl>> m_controls;
};
