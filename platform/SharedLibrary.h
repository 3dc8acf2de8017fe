#pragma once

#include <string>

namespace platform {

/// One dynamically loaded library, owned: loaded with every symbol bound at once and kept out
/// of the global symbol scope, so plug-ins that export the same names cannot collide.
///
///     platform::SharedLibrary lib;
///     if (lib.Open("/x/y.so")) entry = lib.Symbol("main");
///
/// The destructor unloads a library still open; Close reports whether that worked.
class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;

    /// Loads the library at path (closing one held before). False on failure; ErrorText
    /// then says why.
    bool Open(const std::string& path);

    /// The address of an exported symbol, or nullptr when the library lacks it or is not open.
    void* Symbol(const char* name) const;

    /// Unloads the library. True on success; false when unloading failed or nothing was open.
    bool Close();

    bool IsOpen() const { return handle_ != nullptr; }

    /// The loader's text for the latest failure of Open or Close.
    const std::string& ErrorText() const { return error_; }

    /// True when the library at path is loaded in this process now (by anyone).
    static bool IsLoaded(const std::string& path);

private:
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace platform
