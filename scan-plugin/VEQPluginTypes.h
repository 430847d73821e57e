// The plug-in protocol's file format, shared with the plug-in host.
#pragma once

namespace veq {
namespace types {

enum FileFormat : int { pdf = 0, tiff = 1, jpeg = 2 };

}  // namespace types
}  // namespace veq
