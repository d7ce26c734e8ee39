#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace qel {

// Calls each with the name and attributes of every entry of the folder at
// hostFolder (a host path as the drive table gives it) but "." and "..".
// Returns 0, or the Win32 error that stopped the listing; an empty drive
// root, which has not even ".", lists nothing without an error.
unsigned long forEachEntry(const QByteArray& hostFolder,
                           const std::function<void(const QString& name, unsigned long attributes)>& each);

} // namespace qel
