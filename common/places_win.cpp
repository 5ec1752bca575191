#include "places.h"

#include <windows.h>

Places findPlaces() {
    // Room for the longest path and the longest variable that Windows has.
    // A call that needs more says so by its length, or by filling the buffer
    // as GetModuleFileName does, and gives nothing: a cut path would name
    // another folder.
    constexpr DWORD kLongest = 32768;
    std::u16string buffer(kLongest, u'\0');
    auto* raw = reinterpret_cast<wchar_t*>(buffer.data());
    const auto taken = [&buffer](DWORD length) {
        return length < kLongest - 1 ? std::u16string(buffer.data(), length) : std::u16string();
    };
    Places places;
    places.executable = taken(GetModuleFileNameW(nullptr, raw, kLongest));
    places.workingFolder = taken(GetCurrentDirectoryW(kLongest, raw));
    places.roamingData = taken(GetEnvironmentVariableW(L"APPDATA", raw, kLongest));
    places.localData = taken(GetEnvironmentVariableW(L"LOCALAPPDATA", raw, kLongest));
    return places;
}
