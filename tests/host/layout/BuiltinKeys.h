#pragma once
// The keys of a built-in layout applied to a fresh template of a kind, read back.
#include <stdexcept>

#include "TestSupport.h"
#include "layout/LayoutIni.h"
#include "layout/LayoutKeys.h"
#include "platform/portable/PortableProfileFile.h"

namespace tastavia::test {

inline LayoutKeys BuiltinKeys(OsKind kind, const char* resource) {
    LayoutFixture f(kind);
    f.New();
    PortableProfileFile profile{f.files};
    const std::string ini = f.dir / "builtin.ini";
    if (!f.layout.ExtractResourceToFile(resource, ini)) throw std::runtime_error("cannot extract a built-in layout");
    ImportLayout(f.layout, profile, ini);
    return ReadLayoutKeys(f.layout);
}

}  // namespace tastavia::test
