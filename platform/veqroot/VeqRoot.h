// Every absolute path of the system is resolved under one root prefix, read once
// per process from the environment variable VEQ_ROOT (default "/"), so that the
// whole product runs from a staged tree or a test's own folder.
#pragma once

#include <string>

namespace veqplatform {

// The root prefix without a trailing separator ("" for "/").
const std::string& RootPrefix();

// An absolute path (beginning with "/") placed under the root prefix.
std::string UnderRoot(const std::string& absolutePath);

}  // namespace veqplatform
