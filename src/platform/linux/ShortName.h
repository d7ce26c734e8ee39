#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace qel {

// Whether name already is a valid 8.3 name (1-8 characters, optionally a dot and
// 1-3 more, none of them blanks or characters FAT forbids). Such a name is its
// own short name, in the case it is written.
bool isShortName(const QString& name);

// The 8.3 name Windows generates for a long name: upper case, blanks and extra
// dots dropped, forbidden characters as "_", six characters, "~N" and up to
// three of the extension. folderNames are all names in the same folder (name
// among them or not): N is the first counter no other name there holds, names
// needing a generated name taking their counters in sorted order.
QString generatedShortName(const QString& name, const QStringList& folderNames);

// The short name a FAT medium really holds for hostName in the open folder
// dirFd; nullopt when the folder is not on FAT or the name is not found.
// Never fails otherwise: the caller then generates one.
std::optional<QString> fatShortName(int dirFd, const QByteArray& hostName);

} // namespace qel
