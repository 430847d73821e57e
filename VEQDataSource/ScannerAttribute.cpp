#include "ScannerAttribute.h"

ScannerAttribute::ScannerAttribute() : m_type(SCAN_SOURCE) {}

ScannerAttribute::ScannerAttribute(ScannerAttributeType type, const wxString& name,
                                   const wxString& value)
    : m_type(type), m_name(name), m_value(value), m_display(value) {}

ScannerAttribute::ScannerAttribute(ScannerAttributeType type, const wxString& name,
                                   const wxString& value, const wxString& display)
    : m_type(type), m_name(name), m_value(value), m_display(display) {}

bool operator==(const ScannerAttribute& left, const ScannerAttribute& right) {
    return left.m_type == right.m_type && left.m_value == right.m_value;
}
