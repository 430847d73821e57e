#include "AccessibilityElements.h"

#include <utility>

MacAccObject::MacAccObject(WXWidget view) : m_view(view) {}

MacAccObject::MacAccObject(const MacAccElement* element)
    : m_element(element ? element->shared_from_this() : nullptr) {}

bool MacAccObject::operator==(const MacAccObject& other) const {
    return m_view == other.m_view && m_element == other.m_element;
}

MacAccElement::MacAccElement(Fields fields)
    : m_role(fields.role),
      m_window(fields.window),
      m_parent(std::move(fields.parent)),
      m_record(fields.record),
      m_position(fields.position),
      m_rect(fields.rect),
      m_text(std::move(fields.text)),
      m_flag(fields.flag) {}

std::shared_ptr<MacAccElement> MacAccElement::Make(Fields fields) {
    return std::shared_ptr<MacAccElement>(new MacAccElement(std::move(fields)));
}

MacAccObject NSMutableArray::Item(std::size_t index) const {
    return index < m_items.size() ? m_items[index] : MacAccObject();
}

namespace {

const MacAccElement* Add(NSMutableArray* array, MacAccElement::Fields fields) {
    if (!array) return nullptr;
    std::shared_ptr<MacAccElement> element = MacAccElement::Make(std::move(fields));
    array->Append(MacAccObject(element.get()));
    return element.get();
}

}  // namespace

const MacAccElement* CreateAndAddNSAccesibilityOutLineElement(wxWindow* window, const MacAccObject& parent,
                                                              const wxRect& rect, NSMutableArray* array,
                                                              const wxString& text, std::uint64_t index,
                                                              int kind, bool flag) {
    return Add(array, {MacAccRole::Outline, window, parent, {kind, index, 0}, 0, rect, text, flag});
}

const MacAccElement* CreateAndAddNSAccesibilityOutLineElement(wxWindow* window, const MacAccObject& parent,
                                                              const wxRect& rect, NSMutableArray* array,
                                                              int kind, bool flag) {
    return Add(array, {MacAccRole::Outline, window, parent, {kind, 0, 0}, 0, rect, wxString(), flag});
}

const MacAccElement* CreateAndAddNSAccesibilityRowElement(wxWindow* window, const MacAccObject& parent,
                                                          std::uint64_t index, const wxRect& rect,
                                                          NSMutableArray* array, int kind, bool flag) {
    return Add(array, {MacAccRole::Row, window, parent, {kind, index, 0}, 0, rect, wxString(), flag});
}

const MacAccElement* CreateAndAddNSAccesibilityRowElement(wxWindow* window, const MacAccObject& parent,
                                                          std::uint64_t index, std::uint64_t secondIndex,
                                                          int position, const wxRect& rect,
                                                          NSMutableArray* array, int kind, bool flag) {
    const MacAccElementRecord record{kind, index, static_cast<int>(secondIndex)};
    return Add(array, {MacAccRole::Row, window, parent, record, position, rect, wxString(), flag});
}

const MacAccElement* CreateAndAddNSAccesibilityColumnElement(wxWindow* window, const MacAccObject& parent,
                                                             std::uint64_t index, const wxRect& rect,
                                                             const wxString& title, NSMutableArray* array,
                                                             int kind, bool flag) {
    return Add(array, {MacAccRole::Column, window, parent, {kind, index, 0}, 0, rect, title, flag});
}

const MacAccElement* CreateAndAddNSAccesibilityButtonElement(wxWindow* window, const MacAccObject& parent,
                                                             std::uint64_t index, int secondIndex,
                                                             const wxRect& rect, const wxString& title,
                                                             NSMutableArray* array, int kind, bool flag) {
    return Add(array,
               {MacAccRole::Button, window, parent, {kind, index, secondIndex}, 0, rect, title, flag});
}

const MacAccElement* CreateAndAddNSAccesibilityGroupElement(wxWindow* window, const MacAccObject& parent,
                                                            std::uint64_t index, const wxRect& rect,
                                                            NSMutableArray* array, int kind, bool flag) {
    return Add(array, {MacAccRole::Group, window, parent, {kind, index, 0}, 0, rect, wxString(), flag});
}

const MacAccElement* CreateAndAddNSAccesibilityTextElement(wxWindow* window, const MacAccObject& parent,
                                                           std::uint64_t index, const wxRect& rect,
                                                           const wxString& text, NSMutableArray* array,
                                                           int kind, int secondIndex, bool flag) {
    return Add(array,
               {MacAccRole::Text, window, parent, {kind, index, secondIndex}, 0, rect, text, flag});
}

const MacAccElement* CreateAndAddNSAccesibilityTableElement(wxWindow* window, const MacAccObject& parent,
                                                            const wxRect& rect, NSMutableArray* array,
                                                            int kind, bool flag) {
    return Add(array, {MacAccRole::Table, window, parent, {kind, 0, 0}, 0, rect, wxString(), flag});
}
