// Desktop services behind plain interfaces: date renderings in the user's
// locale and time zone, the locale's measurement system, bundle versions,
// property-list look-ups, passive reachability, the preferred language, folder
// icons, and the application's appearance and Dock icon.
//
// Paths are file-system paths as they stand; callers place the system's fixed
// macOS paths under VEQ_ROOT themselves.
#pragma once

#include <wx/string.h>

#include "VEQServicesExport.h"

class VEQSERVICES_API VEQNSUtils {
public:
    VEQNSUtils() = delete;

    // seconds since 1970 in the process locale and time zone: short date with
    // medium time, medium time alone, short date alone. Empty when the time has
    // no local date (too far out for the system to convert).
    static wxString FormatDateTime(const unsigned long& seconds);
    static wxString FormatTime(const unsigned long& seconds);
    static wxString FormatDate(const unsigned long& seconds);

    // True when the process locale measures in metric units.
    static bool IsMetricSystem();

    // "CFBundleShortVersionString" of the running program's bundle (the main
    // application's staged bundle unless the program lies in a bundle of its
    // own), and of the bundle at bundlePath. Empty when there is none.
    static wxString GetApplicationVersion();
    static wxString GetVersion(const wxString& bundlePath);

    // The value under keyPath (keys of nested dictionaries joined by ".") in the
    // dictionary under parentKeyPath (the top level when empty) of the property
    // list at plistPath. Strings, numbers and dates give their text, booleans
    // "1" or "0"; anything else, or nothing found, gives the empty text.
    static wxString GetValueForKeyInPlist(const wxString& plistPath, const wxString& keyPath,
                                          const wxString& parentKeyPath);

    // Passive: true when the system reports the connection to the web address
    // up. Nothing is sent and no name is resolved.
    static bool CheckForInternet(const wxString& address);
    // True when either of two public web sites is reported reachable.
    static bool IsInternetConnectionAvailable();

    // The user's first preferred language as a tag ("fr-CA", "zh-Hans-CN");
    // empty when the user has none.
    static wxString GetSystemLanguage();

    // The GTK desktop has no Dock icon or application-wide appearance to
    // change: both leave the application as it is.
    static void HideDocIcon();
    static void SetMACOSThemeToAqua();

    // Clears the folder's custom icon, then gives it the icon file's image;
    // the generic folder icon just clears it. True when the folder ends up with
    // the icon asked for; false when the folder does not exist or the icon file
    // cannot be read (the folder then keeps no custom icon). The result goes to
    // the system log as "1" or "0".
    static bool FolderSetIcon(const wxString& folder, const wxString& iconFile);
    // The icon file path set on the folder; empty when it has no custom icon.
    static wxString GetFolderIcon(const wxString& folder);
};
