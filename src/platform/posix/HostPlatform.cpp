#include "platform/posix/HostPlatform.h"

#include <cstdlib>

namespace tastavia {

std::string HostTempPath() {
    const char* dir = std::getenv("TMPDIR");
    std::string path = dir && *dir ? dir : "/tmp";
    if (path.back() != '/') path += '/';
    return path;
}

}  // namespace tastavia
