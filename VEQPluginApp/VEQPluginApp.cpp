#include "VEQPluginApp.h"

#include <map>

#include <wx/any.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/stdpaths.h>

#include "AppLocale.h"
#include "Logger.h"
#include "PluginOutput.h"
#include "SaveFolder.h"
#include "VEQNSUtils.h"
#include "VEQPlugin.h"

namespace {

const char kPluginFileName[] = "libVEQPlugin.so";
const char kPluginFolder[] = "Plugins";

}  // namespace

bool VEQApp::OnInit() {
    wxInitAllImageHandlers();
    VEQNSUtils::SetMACOSThemeToAqua();
    VEQNSUtils::HideDocIcon();
    // Started by other programs, often unattended: the toolkit's own messages
    // go to the standard error, never into message boxes.
    delete wxLog::SetActiveTarget(new wxLogStderr());
    SetExitOnFrameDelete(false);
    Initialize();
    m_arguments = std::make_shared<CommandLineArguments>(argv, m_formats);
    InitializeLocale(m_arguments->GetLanguageCode());
    CallAfter(&VEQApp::StartApp);
    return true;
}

int VEQApp::OnRun() {
    wxApp::OnRun();
    return m_exitStatus;
}

void VEQApp::Initialize() {
    m_formats = MakeFormatTable();
    m_pluginLibrary = std::make_shared<wxDynamicLibrary>();
    {
        wxLogNull quiet;
        m_pluginLibrary->Load(kPluginFileName, wxDL_NOW);
    }
    const wxFileName executable(wxStandardPaths::Get().GetExecutablePath());
    m_pluginPath = executable.GetPath() + wxFileName::GetPathSeparator() + kPluginFolder +
                   wxFileName::GetPathSeparator() + kPluginFileName;
}

void VEQApp::InitializeLocale(const wxString& languageCode) {
    InitializeAppLocale(languageCode, m_veqLocale, m_locale);
}

void VEQApp::StartApp() {
    wxString folder;
    if (!CheckSaveFolder(m_arguments->GetSavePath(), folder)) {
        OnError(_("Invalid path"));
        return;
    }
    if (!m_pluginLibrary->IsLoaded()) {
        bool loaded = false;
        {
            wxLogNull quiet;
            loaded = m_pluginLibrary->Load(m_pluginPath, wxDL_NOW);
        }
        if (!loaded) {
            const wxString message = "Can't Load plugin from " + m_pluginPath;
            VEQLOG(Error) << message;
            OnError(message);
            return;
        }
    }
    Launch(m_arguments->GetIP(), m_arguments->GetFileFormat(), folder);
    Finish(m_exitStatus);
}

void VEQApp::Launch(wxString ip, veq::types::FileFormat format, wxString imagePath) {
    VEQLOG(Debug) << "ip " << ip << ", format " << static_cast<int>(format) << ", imagePath " << imagePath;
    CreateVEQPluginFunction create = nullptr;
    FreeVEQPluginFunction release = nullptr;
    {
        wxLogNull quiet;
        create = reinterpret_cast<CreateVEQPluginFunction>(m_pluginLibrary->GetSymbol("CreateVEQPlugin"));
        release = reinterpret_cast<FreeVEQPluginFunction>(m_pluginLibrary->GetSymbol("FreeVEQPlugin"));
    }
    if (!create) {
        VEQLOG(Error) << "The plug-in has no CreateVEQPlugin";
        m_exitStatus = EXIT_ERROR;
        return;
    }
    veq::VEQPlugin* plugin = create();
    std::map<wxString, wxAny> options;
    options["pos"] = wxAny(m_arguments->GetWindowLeftTopPoint());
    options["supresserror"] = wxAny(m_arguments->ShouldSupressError());
    options["savepath"] = wxAny(imagePath);  // shown in the dialog
    plugin->Launch(ip, format, options);

    std::vector<std::shared_ptr<veq::VEQScannedImage>> images = plugin->GetScannedImages();
    VEQLOG(Debug) << "Scanned images " << static_cast<int>(images.size());
    OutputReport report;
    if (!images.empty()) {
        if (MakeSaveFolder(imagePath)) {
            report = WriteScannedImages(imagePath, images, m_formats);
        } else {
            VEQLOG(Error) << "Cannot make the save folder " << imagePath;
            report.m_failed = images.size();
        }
    }
    if (release) {
        release(plugin);
    }
    // The images' clean-up is the plug-in's code: released while it is loaded.
    images.clear();
    if (report.m_failed > 0) {
        m_exitStatus = EXIT_ERROR;
    } else if (report.m_written == 0) {
        m_exitStatus = EXIT_NO_IMAGES;
    }
}

wxString VEQApp::GetExtension(veq::types::FileFormat format) {
    return ExtensionOf(m_formats, format);
}

void VEQApp::OnError(const wxString& message) {
    VEQLOG(Error) << "save path - " << m_arguments->GetSavePath() << " ip - " << m_arguments->GetIP()
                  << " locale- " << m_arguments->GetLanguageCode() << " file format - "
                  << GetExtension(m_arguments->GetFileFormat());
    if (!m_arguments->ShouldSupressError()) {
        wxMessageBox(message, "Veqora", wxOK | wxCENTRE, nullptr);
    }
    Finish(EXIT_ERROR);
}

void VEQApp::Finish(int status) {
    m_exitStatus = status;
    ExitMainLoop();
}

int VEQApp::OnExit() {
    if (m_pluginLibrary && m_pluginLibrary->IsLoaded()) {
        m_pluginLibrary->Unload();
    }
    VEQLOG(Debug) << "Exiting";
    return 0;
}
