#pragma once

namespace qel {

// Which end of a copy a failed call touched. The same system error asks for a
// different remedy: a refused destination means "insert a writable disk", a
// refused source does not.
enum class IoSide { Source, Destination };

} // namespace qel
