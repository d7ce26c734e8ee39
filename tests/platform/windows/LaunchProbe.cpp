// A program for the launcher test: leaves "launched.txt" beside itself,
// holding whether it was started with a window it may show.
#include <windows.h>

#include <string>

int main() {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring marker(self, length);
    marker = marker.substr(0, marker.find_last_of(L'\\') + 1) + L"launched.txt";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const bool normal =
        (startup.dwFlags & STARTF_USESHOWWINDOW) && startup.wShowWindow == SW_SHOWNORMAL;
    HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, normal ? "normal" : "other", normal ? 6 : 5, &written, nullptr);
    CloseHandle(file);
    return 0;
}
