#include "VEQAutomation.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

#include <wx/dynlib.h>
#include <wx/log.h>

#include "VEQServicesUtil.h"

namespace {

// This build keeps accessibility titles itself, one per native widget, so
// that they can be read back; the toolkit has no title of its own to set.
struct AccessibilityTitles {
    std::mutex lock;
    std::map<WXWidget, wxString> byWidget;
};

AccessibilityTitles& Titles() {
    static AccessibilityTitles s_titles;
    return s_titles;
}

}  // namespace

AutomationControl* VEQAutomation::GetAutomationControl(AutomationControl::Type type,
                                                       const Automation* owner) {
    static const wxString s_automationDllName("libVEQProbe.so");
    static wxDynamicLibrary s_automationDll;
    static GetAutomationControlFunction s_pGetAutomationControl = nullptr;

    if (!s_automationDll.IsLoaded()) {
        wxLogNull quiet;
        // dlopen is called from this library so that the bare name is searched
        // like every dependency: LD_LIBRARY_PATH, then this library's RUNPATH
        // ($ORIGIN: libVEQProbe.so installed beside libVEQServices.so), then
        // the system folders. Symbols bound now, not made global.
        void* handle = dlopen(s_automationDllName.utf8_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle) {
            s_automationDll.Attach(handle);
            s_pGetAutomationControl = reinterpret_cast<GetAutomationControlFunction>(
                s_automationDll.GetSymbol("GetAutomationControl"));
        }
    }
    if (!s_pGetAutomationControl) return nullptr;
    return s_pGetAutomationControl(type, owner);
}

void VEQAutomation::SetAccessibilityTitle(WXWidget view, const char* title) {
    if (!IsOSX10_10AndAbove() || !view || !title) return;
    const wxString text = wxString::FromUTF8(title);
    const bool valid = !text.empty() || *title == '\0';
    AccessibilityTitles& titles = Titles();
    std::lock_guard<std::mutex> guard(titles.lock);
    if (valid) {
        titles.byWidget[view] = text;
    } else {
        titles.byWidget.erase(view);
    }
}

wxString VEQAutomation::GetAccessibilityTitle(WXWidget view) {
    AccessibilityTitles& titles = Titles();
    std::lock_guard<std::mutex> guard(titles.lock);
    const auto entry = titles.byWidget.find(view);
    return entry == titles.byWidget.end() ? wxString() : entry->second;
}

bool IsOSX10_10AndAbove() {
    static bool isInitialized = false;
    static bool is10_10AndAbove = false;
    if (!isInitialized) {
        isInitialized = true;
        is10_10AndAbove = VEQServicesUtil::OSX10_XXnAbove(10);
    }
    return is10_10AndAbove;
}
