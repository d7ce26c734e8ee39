#include "help/SysInfo.h"

#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/Launcher.h"
#include "platform/Registry.h"

#include <exception>

namespace qel {

namespace {

constexpr std::uint32_t kBufferSize = 1024;

// Closes the key however GetKeyValue is left, an error passing out included.
class KeyCloser final {
public:
    KeyCloser(Registry& registry, RegKey& key)
        : m_registry(registry)
        , m_key(key) {}
    ~KeyCloser() { m_registry.RegCloseKey(m_key); }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

private:
    Registry& m_registry;
    RegKey& m_key;
};

Error invalidArgument() {
    return Error(5, QStringLiteral("Invalid procedure call or argument"));
}

} // namespace

bool GetKeyValue(Registry& registry, std::uint32_t KeyRoot, const QString& KeyName,
                 const QString& SubKeyRef, QString& KeyVal) {
    RegKey hKey = 0;
    KeyCloser closer(registry, hKey);

    if (registry.RegOpenKeyEx(KeyRoot, KeyName.toUtf8(), 0, KEY_READ, hKey) != ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }

    QByteArray tmpVal(kBufferSize, '\0');
    std::uint32_t KeyValSize = kBufferSize;
    std::uint32_t KeyValType = 0;
    if (registry.RegQueryValueEx(hKey, SubKeyRef.toUtf8(), KeyValType, tmpVal.data(), KeyValSize) !=
        ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }

    // The byte at position size (counted from 1) decides whether one
    // terminating NUL is dropped; there is no such byte for 0 or past the end.
    if (KeyValSize == 0 || KeyValSize > kBufferSize)
        throw invalidArgument();
    if (tmpVal.at(KeyValSize - 1) == '\0')
        tmpVal.truncate(KeyValSize - 1);
    else
        tmpVal.truncate(KeyValSize);

    switch (KeyValType) {
    case REG_SZ:
        KeyVal = QString::fromUtf8(tmpVal);
        break;
    case REG_DWORD:
        for (qsizetype i = tmpVal.size() - 1; i >= 0; --i)
            KeyVal += QString::number(static_cast<unsigned char>(tmpVal.at(i)), 16).toUpper();
        // Kept as text: neither look-up expects a number.
        KeyVal = QStringLiteral("&h") + KeyVal;
        break;
    default:
        break;
    }
    return true;
}

void StartSysInfo(Registry& registry, Launcher& launcher, Dialogs& dialogs) {
    // False when no tool is registered; an error when one cannot be started.
    const auto startTool = [&]() {
        QString SysInfoPath;
        if (!GetKeyValue(registry, HKEY_LOCAL_MACHINE, QLatin1String(gREGKEYSYSINFO),
                         QLatin1String(gREGVALSYSINFO), SysInfoPath)) {
            if (!GetKeyValue(registry, HKEY_LOCAL_MACHINE, QLatin1String(gREGKEYSYSINFOLOC),
                             QLatin1String(gREGVALSYSINFOLOC), SysInfoPath))
                return false;
            if (launcher.findFile(SysInfoPath + QStringLiteral("\\MSINFO32.EXE")).isEmpty())
                return false;
            SysInfoPath += QStringLiteral("\\MSINFO32.EXE");
        }
        launcher.startProgram(SysInfoPath);
        return true;
    };

    try {
        if (startTool())
            return;
    } catch (const std::exception&) {
        // Every failure to find or start the tool gets the one message below.
    }
    dialogs.MsgBox(QStringLiteral("System Information Is Unavailable At This Time"), BoxKind::Notice,
                   Icon::None, DefaultButton::First, QString());
}

} // namespace qel
