#include "FakeFile.h"

#include "platform/Error.h"

namespace qel::test {

void FakeFile::throwUnreadable() const {
    throw Error(m_facts.unreadableNumber);
}

} // namespace qel::test
