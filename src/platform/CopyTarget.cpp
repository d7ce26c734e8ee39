#include "platform/CopyTarget.h"

#include "platform/DosWildcard.h"
#include "platform/Error.h"

namespace qel {

CopySource copySource(const QString& source) {
    const DosPath path = requireDosPath(source);
    if (path.isRoot() || endsWithDosSeparator(source))
        throw Error(err::FileNotFound);
    return {path.parent(), path.components.last()};
}

CopyTarget copyTarget(const QString& destination, const QString& pattern,
                      const std::function<bool(const QString&)>& folderExists) {
    const DosPath path = requireDosPath(destination);
    if (endsWithDosSeparator(destination) || folderExists(destination))
        return {path, {}};
    if (path.isRoot() || hasWildcards(pattern))
        throw pathNotFound(path.toString());
    return {path.parent(), path.components.last()};
}

} // namespace qel
