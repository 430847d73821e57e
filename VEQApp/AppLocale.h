// The user-interface language of a program, shared by Veqora and VEQPluginApp:
// the language for a code (empty: the system's), English (US) when the system
// cannot set it, and every catalogue file of that language's folder.
#pragma once

#include <memory>

#include <wx/intl.h>
#include <wx/string.h>

#include "VEQLocale.h"

// Replaces veqLocale and locale. Catalogues are added in descending order of
// their paths; the toolkit searches the one added last first, so the file
// whose path sorts first wins.
void InitializeAppLocale(const wxString& languageCode, std::shared_ptr<VEQLocale>& veqLocale,
                         std::unique_ptr<wxLocale>& locale);
