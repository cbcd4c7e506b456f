#pragma once
// The resources compiled into the host build as byte arrays (the Windows build has
// them as real resources of the executable).
#include "platform/Resources.h"

namespace tastavia {

class EmbeddedResources : public Resources {
public:
    std::optional<std::string_view> RcData(const char* name) override;
    std::optional<std::string_view> Bitmap(const char* name) override;
};

}  // namespace tastavia
