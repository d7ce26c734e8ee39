// PLACEHOLDER until the copy engine lands.
#include "platform/windows/WindowsFileSystemObject.h"
#include "platform/Error.h"
namespace qel {
WindowsFileSystemObject::WindowsFileSystemObject(const Drives& drives) : m_drives(drives) {}
std::unique_ptr<File> WindowsFileSystemObject::GetFile(const QString&) { throw Error(75); }
bool WindowsFileSystemObject::FolderExists(const QString&) { return false; }
void WindowsFileSystemObject::CreateFolder(const QString&) { throw Error(75); }
void WindowsFileSystemObject::CopyFile(const QString&, const QString&, bool) { throw Error(75); }
}
