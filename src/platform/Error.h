#pragma once

#include <QString>

#include <exception>

namespace qel {

// The classic runtime's error numbers that the program tests or reports.
namespace err {
inline constexpr int FileNotFound = 53;       // "File not found"
inline constexpr int DeviceIOError = 57;      // "Device I/O error"
inline constexpr int FileAlreadyExists = 58;  // "File already exists"
inline constexpr int DiskFull = 61;           // "Disk full"
inline constexpr int DeviceUnavailable = 68;  // "Device unavailable"
inline constexpr int PermissionDenied = 70;   // "Permission denied"
inline constexpr int DiskNotReady = 71;       // "Disk not ready"
inline constexpr int PathFileAccessError = 75; // "Path/File access error"
inline constexpr int PathNotFound = 76;       // "Path not found"
} // namespace err

// The description the classic runtime gives for an error number
// ("Application-defined or object-defined error" for numbers it does not know).
QString classicDescription(int number);

// A failed platform operation: the number the handlers dispatch on and the
// text the user is shown. Every service raises this and nothing else.
class Error final : public std::exception {
public:
    // An empty description takes the classic one for the number.
    explicit Error(int number, QString description = {});

    int number() const noexcept { return m_number; }
    const QString& description() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

// 76 naming the folder or file that is missing.
Error pathNotFound(const QString& dosPath);

} // namespace qel
