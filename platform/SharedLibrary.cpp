#include "platform/SharedLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace platform {
namespace {

std::string LoaderError() {
    const char* text = ::dlerror();
    return text != nullptr ? text : "unknown loader error";
}

}  // namespace

SharedLibrary::~SharedLibrary() {
    if (handle_ != nullptr) {
        ::dlclose(handle_);
    }
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        Close();
        handle_ = std::exchange(other.handle_, nullptr);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool SharedLibrary::Open(const std::string& path) {
    Close();
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        error_ = LoaderError();
        return false;
    }
    return true;
}

void* SharedLibrary::Symbol(const char* name) const {
    if (handle_ == nullptr || name == nullptr) {
        return nullptr;
    }
    return ::dlsym(handle_, name);
}

bool SharedLibrary::Close() {
    if (handle_ == nullptr) {
        return false;
    }
    const int result = ::dlclose(std::exchange(handle_, nullptr));
    if (result != 0) {
        error_ = LoaderError();
        return false;
    }
    return true;
}

bool SharedLibrary::IsLoaded(const std::string& path) {
    // RTLD_NOLOAD only looks the library up; the reference it returns must be given back.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) {
        return false;
    }
    ::dlclose(handle);
    return true;
}

}  // namespace platform
