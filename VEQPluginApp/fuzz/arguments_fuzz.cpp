// The plug-in host's command line as the program that starts it may pass it:
// one argument per line of the input, after the program path.
#include <cstddef>
#include <cstdint>
#include <string>

#include <wx/arrstr.h>

#include "CommandLineArguments.h"
#include "SaveFolder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    wxArrayString arguments;
    arguments.Add("VEQPluginApp");
    std::size_t start = 0;
    while (start <= input.size()) {
        const std::size_t end = input.find('\n', start);
        const std::string argument = input.substr(start, end == std::string::npos ? std::string::npos : end - start);
        arguments.Add(wxString::FromUTF8(argument.data(), argument.size()));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    const CommandLineArguments parsed(arguments, MakeFormatTable());
    wxString folder;
    CheckSaveFolder(parsed.GetSavePath(), folder);
    return 0;
}
