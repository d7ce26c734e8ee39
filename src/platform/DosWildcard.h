#pragma once

#include <QStringView>

namespace qel {

// Whether name matches pattern, where "*" stands for any run of characters and
// "?" for exactly one, without regard to case (as DOS file patterns match).
bool matchesDosPattern(QStringView name, QStringView pattern);

// Whether pattern holds "*" or "?".
bool hasWildcards(QStringView pattern);

} // namespace qel
