#pragma once
// The .rsrc section of the layout library: one version resource that names Tastavia
// and marks the file as a keyboard driver DLL.
#include <cstdint>
#include <string>

namespace mkkbd {

// The section's contents for a section at the given RVA.
std::string VersionResourceSection(std::uint32_t sectionRva);

}  // namespace mkkbd
