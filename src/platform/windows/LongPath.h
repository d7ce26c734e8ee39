#pragma once

#include <QByteArray>
#include <string>

namespace qel {

// A host path (UTF-8, as the drive table gives it) for the wide Win32 calls,
// with the "\\?\" prefix when it is longer than MAX_PATH allows, so a deep
// folder on the source still opens.
std::wstring longPath(const QByteArray& hostPath);

} // namespace qel
