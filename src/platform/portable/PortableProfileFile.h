#pragma once
// Our own profile-file engine, following the rules of the Windows profile API, for
// systems that have none. A file is read and parsed once and kept until it changes on
// the disk; writes are kept in memory, as Windows 9x keeps them, until Flush (or the
// engine's end) writes the whole file at once, whole or not at all. A write keeps every
// other line byte for byte, as native Windows does (Wine 8 rewrites the whole file in
// its own format). Files that begin with a UTF-16 byte-order mark, little- or big-endian,
// are read and written back as UTF-16 of the same order, as the real API does; names and
// values are Windows-1251.
#include <map>
#include <memory>

#include "platform/Files.h"
#include "platform/ProfileFile.h"

namespace tastavia {

class PortableProfileFile : public ProfileFile {
public:
    explicit PortableProfileFile(Files& files);
    ~PortableProfileFile() override;  // writes out what is pending; failures go unheard
    PortableProfileFile(const PortableProfileFile&) = delete;
    PortableProfileFile& operator=(const PortableProfileFile&) = delete;

    // Throws IoError when the file is there but cannot be read: the real API would
    // give the default, and the caller would take a file it never read for an empty one.
    std::string GetString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& defaultValue) override;
    bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) override;
    bool Flush(const std::string& path) override;

    struct Document;

private:
    enum class Found { File, NoFile, Unreadable };
    // The file's document, read anew when it changed since; for NoFile and Unreadable none.
    Found Load(const std::string& path, Document*& document);

    Files& files_;
    std::map<std::string, std::unique_ptr<Document>> documents_;  // by path as given
};

}  // namespace tastavia
