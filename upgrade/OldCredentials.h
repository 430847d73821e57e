// The older version's mailbox credentials: per mailbox a name file "<base>.mbx"
// whose whole text is the mailbox name, and beside it a password file
// "<base>.dwp" holding the password enciphered by the store's password cipher.
// The base name carries the server between its first and second "_".
// Neither file is read through a symbolic link.
#pragma once

#include <wx/string.h>

namespace vequpgrade {

// The server part of a credentials file's base name: after the first "_" up to
// the next one (or to the end); empty without any "_".
wxString ServerFromCredentialName(const wxString& baseName);

// The whole text of the name file at path (a byte-order mark, else UTF-8, else
// the toolkit's fallback encoding), nothing trimmed; empty when it cannot be read.
wxString GetMailboxName(const wxString& path);

// False when the password file at path is absent or cannot be read: it then
// counts as none. Otherwise password is its deciphered text, empty when the
// file is empty or does not decipher.
bool GetMailboxPassword(const wxString& path, wxString& password);

}  // namespace vequpgrade
