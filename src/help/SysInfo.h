#pragma once

#include <QString>
#include <cstdint>

namespace qel {

class Dialogs;
class Launcher;
class Registry;

// Where the system-information tool is registered, below HKEY_LOCAL_MACHINE.
inline constexpr char gREGKEYSYSINFOLOC[] = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr char gREGVALSYSINFOLOC[] = "MSINFO";
inline constexpr char gREGKEYSYSINFO[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr char gREGVALSYSINFO[] = "PATH";

// The rights asked for when a key is opened: reading only.
inline constexpr std::uint32_t KEY_READ = 0x20019;

// Reads the value SubKeyRef of key KeyName below KeyRoot. True when it was
// read: text for REG_SZ, "&h" + KeyVal's entry text + the bytes' hex digits
// for REG_DWORD, KeyVal untouched for other types. False (KeyVal emptied) when
// the key or value is missing, refused or over 1024 bytes. A stored size of 0
// (or one beyond the buffer) throws Error 5; the key is closed on every path.
bool GetKeyValue(Registry& registry, std::uint32_t KeyRoot, const QString& KeyName,
                 const QString& SubKeyRef, QString& KeyVal);

// Starts the registered system-information tool without waiting for it, or
// shows "System Information Is Unavailable At This Time" when it is not
// registered or cannot be started. Never throws.
void StartSysInfo(Registry& registry, Launcher& launcher, Dialogs& dialogs);

} // namespace qel
