#include "platform/DosNameOrder.h"

#include <QCollator>
#include <algorithm>
#include <array>
#include <map>
#include <mutex>
#include <numeric>
#include <optional>

namespace qel {

namespace {

// Printable ASCII: the characters of almost every DOS name.
constexpr char16_t FirstPlain = 0x20;
constexpr char16_t LastPlain = 0x7E;
constexpr int PlainCount = LastPlain - FirstPlain + 1;
using PlainRanks = std::array<unsigned char, PlainCount>;

bool isPlain(const QString& name) {
    for (const QChar c : name)
        if (c.unicode() < FirstPlain || c.unicode() > LastPlain)
            return false;
    return true;
}

int compareRanks(const PlainRanks& ranks, QStringView a, QStringView b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int ra = ranks[a[i].unicode() - FirstPlain];
        const int rb = ranks[b[i].unicode() - FirstPlain];
        if (ra != rb)
            return ra < rb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// In most locales printable ASCII collates character by character, one
// weight per character (case aside), so plain names need no collation run:
// their ranks say it all. The ranks are checked against the collator on
// every pair of characters; a locale that reads some pair as one letter
// (Czech "ch") or weighs characters otherwise gets nullopt.
std::optional<PlainRanks> derivePlainRanks(const QCollator& collator) {
    std::vector<QString> singles;
    for (char16_t c = FirstPlain; c <= LastPlain; ++c)
        singles.emplace_back(QChar(c));
    std::vector<int> byOrder(PlainCount);
    std::iota(byOrder.begin(), byOrder.end(), 0);
    std::stable_sort(byOrder.begin(), byOrder.end(),
                     [&](int a, int b) { return collator.compare(singles[a], singles[b]) < 0; });
    PlainRanks ranks{};
    unsigned char rank = 1;
    for (int k = 0; k < PlainCount; ++k) {
        if (k > 0 && collator.compare(singles[byOrder[k - 1]], singles[byOrder[k]]) != 0)
            ++rank;
        ranks[byOrder[k]] = rank;
    }

    std::vector<QString> pairs;
    pairs.reserve(PlainCount * PlainCount);
    for (const QString& a : singles)
        for (const QString& b : singles)
            pairs.push_back(a + b);
    std::stable_sort(pairs.begin(), pairs.end(), [&](const QString& a, const QString& b) {
        return compareRanks(ranks, a, b) < 0;
    });
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (std::size_t k = 1; k < pairs.size(); ++k)
        if (sign(collator.compare(pairs[k - 1], pairs[k])) !=
            sign(compareRanks(ranks, pairs[k - 1], pairs[k])))
            return std::nullopt;
    return ranks;
}

// Worked out once per locale: the check costs a few milliseconds.
std::optional<PlainRanks> plainRanks(const QCollator& collator) {
    static std::mutex mutex;
    static std::map<QString, std::optional<PlainRanks>> known;
    const QString name = collator.locale().bcp47Name();
    std::lock_guard lock(mutex);
    const auto found = known.find(name);
    if (found != known.end())
        return found->second;
    return known.emplace(name, derivePlainRanks(collator)).first->second;
}

// Sorts names that are all plain by their ranks. Each name becomes a string
// of rank bytes in one buffer, its first eight packed in one integer, so most
// comparisons of a large folder touch no string at all.
void sortPlainNames(QStringList& names, const PlainRanks& ranks) {
    struct Key {
        quint64 head;
        quint32 offset;
        quint32 length;
        qsizetype index;
    };
    std::string bytes;
    std::vector<Key> keys;
    keys.reserve(std::size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& name = std::as_const(names)[i];
        const auto offset = quint32(bytes.size());
        quint64 head = 0;
        for (qsizetype k = 0; k < name.size(); ++k) {
            const auto rank = char(ranks[name[k].unicode() - FirstPlain]);
            bytes.push_back(rank);
            if (k < 8)
                head |= quint64(static_cast<unsigned char>(rank)) << (8 * (7 - k));
        }
        keys.push_back({head, offset, quint32(name.size()), i});
    }
    const std::string_view all(bytes);
    std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        if (a.head != b.head)
            return a.head < b.head;
        // Equal heads: both hold the same first eight ranks, or are shorter and equal.
        const auto ra = all.substr(a.offset, a.length);
        const auto rb = all.substr(b.offset, b.length);
        if (const int c = ra.compare(rb); c != 0)
            return c < 0;
        return std::as_const(names)[a.index] < std::as_const(names)[b.index];
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const Key& k : keys)
        sorted.append(std::move(names[k.index]));
    names = std::move(sorted);
}

// Puts names into the order given by its index list.
void reorder(QStringList& names, const std::vector<qsizetype>& order) {
    QStringList sorted;
    sorted.reserve(names.size());
    for (const qsizetype i : order)
        sorted.append(std::move(names[i]));
    names = std::move(sorted);
}

} // namespace

void sortDosNames(QStringList& names, const QLocale& locale) {
    // The C locale has no collation of its own; plain English order puts
    // accented letters beside their base letters rather than after "z".
    QCollator collator(locale.language() == QLocale::C ? QLocale(QLocale::English) : locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const auto byExactText = [&](qsizetype a, qsizetype b) {
        return std::as_const(names)[a] < std::as_const(names)[b];
    };
    std::vector<qsizetype> order(std::size_t(names.size()));
    std::iota(order.begin(), order.end(), 0);

    if (const auto ranks = plainRanks(collator);
        ranks && std::all_of(names.cbegin(), names.cend(), isPlain)) {
        sortPlainNames(names, *ranks);
        return;
    }

    // One key per name, so each comparison is a plain byte comparison
    // instead of a collation run.
    std::vector<QCollatorSortKey> keys;
    keys.reserve(names.size());
    for (const QString& name : std::as_const(names))
        keys.push_back(collator.sortKey(name));
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        if (const int c = keys[a].compare(keys[b]); c != 0)
            return c < 0;
        return byExactText(a, b);
    });
    reorder(names, order);
}

} // namespace qel
