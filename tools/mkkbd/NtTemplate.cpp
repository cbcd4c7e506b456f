#include "Templates.h"

namespace mkkbd {

// Placeholder until the PE writer lands: the right size, no content.
std::string BuildNtTemplate(NtVariant variant) {
    return std::string(variant == NtVariant::Windows2000 ? 6416 : 5632, '\0');
}

}  // namespace mkkbd
