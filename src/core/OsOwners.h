// Owning objects for what the program acquires from the operating system
// and must hand back on every path: the single-instance mutex and COM.
#pragma once

#include <string>

#include "seams/Os.h"

namespace setup {

// A named mutex, released and closed when its owner goes. The last error
// after construction is CreateMutex's own (183 when it existed already).
class NamedMutex {
public:
    NamedMutex(Os& os, const std::string& name) : os_(os), handle_(os.CreateMutex(name)) {}
    ~NamedMutex() {
        if (handle_ == 0) return;
        os_.ReleaseMutex(handle_);
        os_.CloseMutex(handle_);
    }
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

private:
    Os& os_;
    MutexHandle handle_;
};

// COM initialised for the current thread while the object lives; only a
// successful CoInitialize (S_OK or S_FALSE) is paired with CoUninitialize.
class ComInitialization {
public:
    explicit ComInitialization(Os& os) : os_(os), result_(os.CoInitialize()) {}
    ~ComInitialization() {
        if (Succeeded()) os_.CoUninitialize();
    }
    ComInitialization(const ComInitialization&) = delete;
    ComInitialization& operator=(const ComInitialization&) = delete;

    bool Succeeded() const { return result_ >= 0; }

private:
    Os& os_;
    int32_t result_;
};

}  // namespace setup
