#pragma once
// The two layouts the program carries: BDS (the Bulgarian typewriter arrangement,
// also the initial layout of every template) and Phonetic.
#include <array>
#include <cstdint>

namespace mkkbd {

struct KeyChars {
    std::uint8_t unshifted;
    std::uint8_t shifted;
    bool caps;
};

using Layout = std::array<KeyChars, 48>;  // entry k-1 is key k

const Layout& BdsLayout();
const Layout& PhoneticLayout();

}  // namespace mkkbd
