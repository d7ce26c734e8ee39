#pragma once

#include <QByteArray>
#include <QString>

namespace qel {

// Host file names hold characters a DOS path cannot ("\", ":", "*", "?", '"',
// "<", ">", "|", control characters) and may hold bytes that are not UTF-8.
// Each such character or byte c maps into the private-use range as U+F000 + c,
// as Wine does; so does every byte of a UTF-8 sequence that would itself read
// as one of those stand-ins. The mapping is total and exact: no name is left
// out or misparsed, and every mapped name maps back to the same bytes.

// The DOS form of one host name.
QString hostNameToDos(const QByteArray& hostName);

// The host bytes of one DOS name (the inverse of hostNameToDos).
QByteArray dosNameToHost(const QString& dosName);

} // namespace qel
