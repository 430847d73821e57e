// Bundle information: the "Info.plist" of an application bundle, and which
// bundle is the running program's own.
#pragma once

#include <string>

namespace veqplatform {
namespace desktop {

// The main application's bundle in the staged tree, under VEQ_ROOT.
extern const char* const kMainApplicationBundle;  // "/Applications/Zelto/Veqora.app"

// The bundle the running program belongs to: the "<name>.app" folder when the
// executable lies in its "Contents/MacOS", else the main application's bundle.
std::string MainBundlePath();

// The information property list of the bundle at bundlePath
// ("Contents/Info.plist", or "Info.plist" at the top of a flat bundle); empty
// when the bundle has neither.
std::string BundleInfoPlistPath(const std::string& bundlePath);

}  // namespace desktop
}  // namespace veqplatform
