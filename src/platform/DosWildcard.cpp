#include "platform/DosWildcard.h"

namespace qel {

namespace {

bool sameLetter(QChar a, QChar b) {
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

} // namespace

bool matchesDosPattern(QStringView name, QStringView pattern) {
    if (pattern == u"*.*")
        return true; // every file, with or without an extension, as DOS has it
    // Greedy match that backtracks only to the last "*": linear for the
    // patterns a backup uses, never exponential.
    qsizetype n = 0, p = 0;
    qsizetype starAt = -1, resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

bool hasWildcards(QStringView pattern) {
    return pattern.contains(u'*') || pattern.contains(u'?');
}

} // namespace qel
