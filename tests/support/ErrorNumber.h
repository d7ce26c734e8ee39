#pragma once

#include "platform/Error.h"

#include <functional>

namespace qel::test {

// The number of the Error that f raises, 0 when it raises none.
inline int errorNumberOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

} // namespace qel::test
