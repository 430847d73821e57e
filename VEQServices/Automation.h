// The contract between the controls that want accessibility answers, the
// attribute providers of libVEQProbe and the loader in libVEQServices
// (VEQAutomation::GetAutomationControl). Header only: libVEQProbe includes it
// without linking libVEQServices.
#pragma once

#include <cstdint>

#include <wx/any.h>
#include <wx/gdicmn.h>
#include <wx/string.h>

class wxEvent;

// Types shared by several libraries keep one identity (vtable, type
// information) in the process whatever the library's default visibility.
#define VEQ_AUTOMATION_SHARED __attribute__((visibility("default")))

// The owner of a provider: a control that answers its provider's queries.
class VEQ_AUTOMATION_SHARED Automation {
public:
    virtual ~Automation() = default;

    // The answer to one query: key is a value of the provider's key enum
    // (AutomationControl::List, ::ListBox, ::Tree or ::TreeListBox), argument
    // nullptr or an index or tree item as the query needs.
    virtual wxAny Get(const wxAny& key, const wxAny& argument) const = 0;
};

// Base of the attribute providers; libVEQProbe makes and owns them, one per owner.
class VEQ_AUTOMATION_SHARED AutomationControl {
public:
    // The kind of provider asked for; other values make none.
    enum class Type : std::int32_t {
        ListControl = 0,
        ListBox = 1,
        TreeControl = 2,
        TreeListBox = 3
    };

    // Query keys of each provider kind; their numbers are fixed by the owners.
    enum List : int {};
    enum ListBox : int {};
    enum Tree : int {};
    enum TreeListBox : int {};

    // One cell of a list-control row, its rectangle in client coordinates.
    struct ItemInfo {
        wxString text;
        wxRect rect;
    };

    explicit AutomationControl(const Automation* owner) : m_owner(owner) {}
    // Virtual: libVEQProbe frees its providers through this base.
    virtual ~AutomationControl() = default;

    AutomationControl(const AutomationControl&) = delete;
    AutomationControl& operator=(const AutomationControl&) = delete;

    // Handed each accessibility event of the owner's window; true, with
    // *handled set, when the provider answered it.
    virtual bool ProcessEvent(bool* handled, wxEvent& event) = 0;

    const Automation* GetOwner() const { return m_owner; }

protected:
    const Automation* m_owner;
};

// The factory that libVEQProbe exports unmangled as "GetAutomationControl".
extern "C" {
typedef AutomationControl* (*GetAutomationControlFunction)(AutomationControl::Type type,
                                                           const Automation* owner);
}
