#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace qel {

// Host file names hold characters a DOS path cannot ("\", ":", "*", "?", '"',
// "<", ">", "|", control characters). These map each such character into the
// private-use range U+F000 + code, as Wine does, and back, so no name is ever
// misparsed and every mapped name maps back to the same bytes.

// The DOS form of one host name; nullopt when the name is not valid UTF-8 or
// already holds one of the stand-in characters (it could not map back), so
// such names are left out of lists and copies.
std::optional<QString> hostNameToDos(const QByteArray& hostName);

// The host bytes of one DOS name (the inverse of hostNameToDos).
QByteArray dosNameToHost(const QString& dosName);

} // namespace qel
