#include "platform/windows/WindowsNotifier.h"

#include "platform/windows/Win32.h"

#include <iterator>
#include <shellapi.h>

namespace qel {

namespace {

constexpr UINT CallbackMessage = WM_APP + 1;
constexpr UINT IconId = 1; // the program's icon resource; also the icon's number in the area
// The icon goes with the program; a balloon Windows never reports as hidden
// is given this long.
constexpr DWORD LongestShown = 30000;

LRESULT CALLBACK iconWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == CallbackMessage) {
        switch (LOWORD(lParam)) {
        case NIN_BALLOONTIMEOUT:
        case NIN_BALLOONUSERCLICK:
        case NIN_BALLOONHIDE:
            SetWindowLongPtrW(window, GWLP_USERDATA, 1);
            break;
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HICON programIcon(int metric) {
    const int size = GetSystemMetrics(metric);
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IconId), IMAGE_ICON, size, size, 0));
}

// Copies text into a field of size characters, cut short with an ellipsis.
void copyCut(wchar_t* field, std::size_t size, const QString& text) {
    QString cut = text;
    if (cut.size() >= qsizetype(size))
        cut = cut.left(qsizetype(size) - 2) + QChar(0x2026);
    cut.toWCharArray(field);
    field[cut.size()] = L'\0';
}

} // namespace

QString WindowsNotifier::notify(const QString& summary, const QString& body) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = iconWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"QEL Trekkel notification";
    RegisterClassW(&windowClass); // fails harmlessly when it is registered already
    const HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0,
                                        HWND_MESSAGE, nullptr, instance, nullptr);
    if (!window)
        return QStringLiteral("no window for the notification area (error %1)").arg(GetLastError());

    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = IconId;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = CallbackMessage;
    icon.hIcon = programIcon(SM_CXSMICON);
    copyCut(icon.szTip, std::size(icon.szTip), QStringLiteral("QEL Trekkel"));
    QString untold;
    if (!Shell_NotifyIconW(NIM_ADD, &icon)) {
        untold = QStringLiteral("no notification area (no taskbar runs)");
    } else {
        icon.uVersion = NOTIFYICON_VERSION_4; // so that the balloon's end is reported
        Shell_NotifyIconW(NIM_SETVERSION, &icon);
        icon.uFlags = NIF_INFO;
        icon.hBalloonIcon = programIcon(SM_CXICON);
        icon.dwInfoFlags = icon.hBalloonIcon ? NIIF_USER | NIIF_LARGE_ICON : NIIF_ERROR;
        icon.uTimeout = LongestShown; // heeded only where the person's settings do not rule
        copyCut(icon.szInfoTitle, std::size(icon.szInfoTitle), summary);
        copyCut(icon.szInfo, std::size(icon.szInfo), body);
        if (!Shell_NotifyIconW(NIM_MODIFY, &icon))
            untold = QStringLiteral("the notification area showed no message");
        const DWORD start = GetTickCount();
        for (DWORD shown = 0; untold.isEmpty() && GetWindowLongPtrW(window, GWLP_USERDATA) == 0 &&
                              shown < LongestShown;
             shown = GetTickCount() - start) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, LongestShown - shown, QS_ALLINPUT);
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&message);
        }
        Shell_NotifyIconW(NIM_DELETE, &icon);
    }
    DestroyWindow(window);
    for (HICON made : {icon.hIcon, icon.hBalloonIcon})
        if (made)
            DestroyIcon(made);
    return untold;
}

} // namespace qel
