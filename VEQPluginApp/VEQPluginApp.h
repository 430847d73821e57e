// VEQPluginApp: started by another program with key=value options, it loads
// the scan plug-in from its Plugins folder, runs one scan session and writes
// the images into the save folder (see CommandLineArguments.h, PluginOutput.h).
//
// Exit status: 0 when every image of the session was written; 1 after an
// error (bad save folder, plug-in not loadable, an image not written); 2 when
// the session produced no images (cancelled, server refused, scan failed).
#pragma once

#include <memory>

#include <wx/app.h>
#include <wx/dynlib.h>
#include <wx/intl.h>

#include "CommandLineArguments.h"
#include "VEQLocale.h"

class VEQApp : public wxApp {
public:
    enum ExitStatus { EXIT_DONE = 0, EXIT_ERROR = 1, EXIT_NO_IMAGES = 2 };

    bool OnInit() override;
    int OnRun() override;
    int OnExit() override;

    void Initialize();
    void InitializeLocale(const wxString& languageCode);
    void StartApp();
    void Launch(wxString ip, veq::types::FileFormat format, wxString imagePath);
    wxString GetExtension(veq::types::FileFormat format);
    void OnError(const wxString& message);

private:
    void Finish(int status);

    std::shared_ptr<CommandLineArguments> m_arguments;
    std::shared_ptr<VEQLocale> m_veqLocale;
    std::unique_ptr<wxLocale> m_locale;
    wxString m_pluginPath;
    std::shared_ptr<wxDynamicLibrary> m_pluginLibrary;
    FormatTable m_formats;
    int m_exitStatus = EXIT_DONE;
};
