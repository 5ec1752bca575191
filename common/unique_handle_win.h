// Move-only holders for the Windows handles that the launcher and its test
// programs release, each with the call that releases it. Handles that must
// live until the process ends are deliberately not held by any of these.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace unique_handle_detail {

template <typename Handle, auto Release> struct Releaser {
    using pointer = Handle;
    void operator()(Handle handle) const noexcept { Release(handle); }
};

} // namespace unique_handle_detail

// Kernel objects whose failed creation gives null: processes, threads,
// events, mutexes, tokens, jobs.
using UniqueHandle = std::unique_ptr<void, unique_handle_detail::Releaser<HANDLE, CloseHandle>>;

// Files, pipes and snapshots, whose failed creation gives INVALID_HANDLE_VALUE:
// held as null then, so that a test of the holder tells the failure.
inline UniqueHandle fileHandle(HANDLE handle) {
    return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// FindFirstFile's searches, likewise INVALID_HANDLE_VALUE when none began.
using UniqueFind = std::unique_ptr<void, unique_handle_detail::Releaser<HANDLE, FindClose>>;
inline UniqueFind findHandle(HANDLE handle) {
    return UniqueFind(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

using UniqueKey =
    std::unique_ptr<std::remove_pointer_t<HKEY>, unique_handle_detail::Releaser<HKEY, RegCloseKey>>;

using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>,
                                     unique_handle_detail::Releaser<HMODULE, FreeLibrary>>;

using UniqueLocal = std::unique_ptr<void, unique_handle_detail::Releaser<HLOCAL, LocalFree>>;

// A device context that GetDC gave for a window: it goes back to that window.
class WindowDC {
  public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};
