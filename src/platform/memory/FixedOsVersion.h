#pragma once
// A version that says what it was given: for tests, and for hosts that are no Windows.
#include <utility>

#include "platform/OsVersion.h"

namespace tastavia {

class FixedOsVersion : public OsVersion {
public:
    FixedOsVersion() = default;
    explicit FixedOsVersion(OsVersionInfo info) : info(std::move(info)) {}
    OsVersionInfo Get() override { return info; }

    OsVersionInfo info;
};

}  // namespace tastavia
