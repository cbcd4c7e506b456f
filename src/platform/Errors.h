#pragma once
// The errors a command can raise. The application's silent error handler catches
// AppError; anything else is a programming fault.
#include <stdexcept>
#include <string>

namespace tastavia {

class AppError : public std::runtime_error {
public:
    explicit AppError(const std::string& message) : std::runtime_error(message) {}
};

// A file operation failed: the working layout file, a copy, a profile write.
class IoError : public AppError {
public:
    explicit IoError(const std::string& message) : AppError(message) {}
};

// A registry key or value could not be opened, read, written or deleted.
class RegistryError : public AppError {
public:
    explicit RegistryError(const std::string& message) : AppError(message) {}
};

}  // namespace tastavia
