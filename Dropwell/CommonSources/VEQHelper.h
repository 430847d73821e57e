// Helpers the folder-mapping store and its users share: the store's folders,
// the per-mailbox password files, write probes, the temporary folder, folder
// icons and, for the dialogs only (library DropwellTextWrap), text wrapping.
#pragma once

#include <wx/string.h>

class wxWindow;

class VEQHelper {
public:
    VEQHelper() = delete;

    // out = the configuration folder + "Dropwell" (mapping true) or "DWP",
    // without a trailing separator; the folder is made with mode 0777 when missing.
    static void GetPasswordFilePath(wxString& out, bool mapping);

    // The password file name of a mailbox as first chosen: "VEQ_" + nameIP + "_"
    // + the part of mailboxId after its last "/" + ".dwp", with every "/" of
    // nameIP replaced by "_". XMLReadWrite adds a suffix when two mailboxes
    // would share it.
    static wxString PasswordFileName(const wxString& nameIP, const wxString& mailboxId);

    // The password file that a mapping file's recorded path stands for: the
    // file of that name in the store's "Dropwell" folder, where the store and
    // the migration place them all (a mapping carried over from an older
    // version still names the older folder). Empty when the name is not a
    // password file's ("*.dwp").
    static wxString StorePasswordFilePath(const wxString& recorded);

    // Deciphers the password file at path into password (trimmed text). An
    // absent or empty file leaves password unchanged; one that cannot be read
    // (or is a link) is logged and leaves it unchanged; cipher text that does
    // not decipher gives the empty password.
    static void ReadPassword(const wxString& path, wxString& password);
    // Enciphers the trimmed password and replaces the file at path whole.
    // False (logged) when the file could not be written.
    static bool WritePassword(const wxString& password, const wxString& path);

    // The whole regular file at path in a new[] array (data null and length 0
    // when it is absent, empty or cannot be read); the caller delete[]s it.
    static void ReadPasswordFromFile(const char* path, char*& data, int& length);
    // Replaces the file at path with length bytes of data; false (logged) on failure.
    static bool WriteToPasswordFile(const char* path, const char* data, int length);

    // Whether a probe file can be created in folder (it is removed again).
    // False with errno set; logged unless logFailure is false (for a caller
    // that probes again and again and logs only when the answer changes).
    static bool IsDirWritable(const wxString& folder, bool logFailure = true);
    // Whether name (without folder) is one IsDirWritable gives its probe file.
    static bool IsProbeFileName(const wxString& name);

    // The system temporary folder + "VEQ6/", made (mode 0700) when missing.
    // One that is not a real folder of this user's closed to others is not
    // used: a fresh private "VEQ6-XXXXXX" of this process's stands in.
    static wxString GetTempDir();

    // "/Applications/Zelto/" under the root prefix.
    static wxString GetVEQAppInstalledDirectory();

    // Gives folder the main application's warning or ok icon.
    static void ChangeFolderIcon(const wxString& folder, bool warning);

    // Word wrapping of text (trimmed in place) to a pixel width in window's font.
    static wxString WrapString(wxString& text, const wxWindow* window, int width);
    // Character wrapping; maxHeight -1 means no limit on the number of lines.
    static wxString WrapLongName(const wxString& text, const wxWindow* window, int width, int maxHeight);
};
