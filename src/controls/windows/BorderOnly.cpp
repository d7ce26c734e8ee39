#include "controls/BorderOnly.h"

#include "platform/windows/Win32.h"

#include <QGuiApplication>
#include <QWidget>

namespace qel {

void showBorderOnly(QWidget& window) {
    if (QGuiApplication::platformName() != QLatin1String("windows") || !window.windowHandle())
        return;
    // The native style, not the toolkit's flags: changing those would hide
    // the window that is being shown. A dialog frame without a caption.
    const auto hwnd = reinterpret_cast<HWND>(window.winId());
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    SetWindowLongPtrW(hwnd, GWL_STYLE, (style & ~LONG_PTR(WS_CAPTION)) | WS_DLGFRAME);
    SetWindowTextW(hwnd, L"");
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

} // namespace qel
