#include "controls/AviHeader.h"
#include "controls/ClipControl.h"
#include "platform/Drives.h"
#include "platform/Error.h"
#include "platform/IoSide.h"
#include "platform/windows/LongPath.h"
#include "platform/windows/Win32.h"
#include "platform/windows/Win32Errors.h"

#include <QByteArray>
#include <QDir>
#include <QResizeEvent>
#include <commctrl.h>

namespace qel {

namespace {

constexpr int InvalidProcedureCall = 5;
constexpr int InvalidFileFormat = 321;

// The first bytes of the clip, read through the same errors as any source
// file, so a missing clip is 53 and an empty drive 68.
QByteArray readHead(const QByteArray& hostPath, const QString& dosPath) {
    const HANDLE file =
        CreateFileW(longPath(hostPath).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw describe(win32Failure(GetLastError(), IoSide::Source, dosPath));
    QByteArray head(AviHeaderReadSize, Qt::Uninitialized);
    qsizetype got = 0;
    DWORD code = ERROR_SUCCESS;
    if (GetFileType(file) != FILE_TYPE_DISK) {
        code = ERROR_INVALID_NAME; // a device named like a clip
    } else {
        for (DWORD n = 0; got < head.size(); got += n) {
            if (!ReadFile(file, head.data() + got, DWORD(head.size() - got), &n, nullptr)) {
                code = GetLastError();
                break;
            }
            if (n == 0)
                break;
        }
    }
    CloseHandle(file);
    if (code != ERROR_SUCCESS)
        throw describe(win32Failure(code, IoSide::Source, dosPath));
    head.truncate(got);
    return head;
}

// The system's animation control (comctl32), a native child of the widget
// that follows its size. It plays silent AVI clips on a thread of its own,
// so the clip moves while a copy blocks the window.
class WindowsClipControl final : public ClipControl {
public:
    WindowsClipControl(const Drives& drives, QWidget* parent)
        : ClipControl(parent)
        , m_drives(drives) {
        setBackgroundRole(QPalette::Button);
        setAutoFillBackground(true);
    }
    ~WindowsClipControl() override;

    // Closes any open clip first. Throws Error 68 when the drive is not
    // ready, 53 missing, 75 unreadable or not a file, 321 when it is not a
    // silent AVI clip or the control cannot play it.
    void Open(const QString& path) override;
    // From the first frame, repeated until Stop. Throws Error 5 without a clip.
    void Play() override;
    void Stop() override;
    void Close() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    HWND control();
    void fitControl();

    const Drives& m_drives;
    HWND m_hwnd = nullptr;
    bool m_open = false;
};

WindowsClipControl::~WindowsClipControl() {
    if (m_hwnd && IsWindow(m_hwnd))
        DestroyWindow(m_hwnd); // stops the playing thread before the host goes
}

void WindowsClipControl::Open(const QString& path) {
    Close();
    const QByteArray hostPath =
        QDir::toNativeSeparators(QString::fromUtf8(m_drives.toHostPath(path))).toUtf8();
    if (!isSilentAvi(readHead(hostPath, path)))
        throw Error(InvalidFileFormat,
                    QStringLiteral("Invalid file format: %1 is not a silent AVI clip").arg(path));
    const std::wstring file = QString::fromUtf8(hostPath).toStdWString();
    if (!SendMessageW(control(), ACM_OPENW, 0, reinterpret_cast<LPARAM>(file.c_str())))
        throw Error(
            InvalidFileFormat,
            QStringLiteral("Invalid file format: the animation control cannot play %1").arg(path));
    m_open = true;
}

void WindowsClipControl::Play() {
    if (!m_open)
        throw Error(InvalidProcedureCall, QStringLiteral("No clip is open"));
    if (!Animate_Play(m_hwnd, 0, -1, -1))
        throw Error(InvalidProcedureCall, QStringLiteral("The clip cannot be played"));
}

void WindowsClipControl::Stop() {
    if (m_open)
        Animate_Stop(m_hwnd);
}

void WindowsClipControl::Close() {
    if (m_open) {
        Animate_Close(m_hwnd);
        InvalidateRect(m_hwnd, nullptr, TRUE); // the strip is left empty, not on the last frame
    }
    m_open = false;
}

void WindowsClipControl::resizeEvent(QResizeEvent* event) {
    ClipControl::resizeEvent(event);
    fitControl();
}

// Made on the first clip, so a progress window that never plays one stays a
// plain widget. Made again when the toolkit has replaced the host window.
HWND WindowsClipControl::control() {
    const auto host = reinterpret_cast<HWND>(winId());
    if (m_hwnd && IsWindow(m_hwnd) && GetParent(m_hwnd) == host)
        return m_hwnd;
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_ANIMATE_CLASS};
        return bool(InitCommonControlsEx(&controls));
    }();
    m_hwnd = registered
                 ? CreateWindowExW(0, ANIMATE_CLASSW, nullptr, WS_CHILD | WS_VISIBLE | ACS_CENTER,
                                   0, 0, 0, 0, host, nullptr, GetModuleHandleW(nullptr), nullptr)
                 : nullptr;
    if (!m_hwnd)
        throw Error(InvalidProcedureCall,
                    QStringLiteral("The system's animation control is not available: %1")
                        .arg(win32Text(GetLastError())));
    // The toolkit paints the host; the control paints its own pixels.
    SetWindowLongPtrW(host, GWL_STYLE, GetWindowLongPtrW(host, GWL_STYLE) | WS_CLIPCHILDREN);
    fitControl();
    return m_hwnd;
}

void WindowsClipControl::fitControl() {
    if (!m_hwnd)
        return;
    const qreal scale = devicePixelRatioF();
    SetWindowPos(m_hwnd, nullptr, 0, 0, int(width() * scale + 0.5), int(height() * scale + 0.5),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

ClipControl* makeClipControl(const Drives& drives, QWidget* parent) {
    return new WindowsClipControl(drives, parent);
}

} // namespace qel
