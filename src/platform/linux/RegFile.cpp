#include "platform/linux/RegFile.h"

#include "platform/Registry.h"

#include <QList>
#include <QStringList>
#include <QStringTokenizer>
#include <QStringView>
#include <algorithm>
#include <utility>
#include <vector>

namespace qel {

namespace {

QString decode(QByteArrayView text) {
    if (text.size() >= 2 && uchar(text[0]) == 0xFF && uchar(text[1]) == 0xFE) {
        // Files that regedit exports in its newer format are UTF-16LE.
        const qsizetype units = (text.size() - 2) / 2;
        QString s(units, Qt::Uninitialized);
        for (qsizetype i = 0; i < units; ++i)
            s[i] = QChar(ushort(uchar(text[2 + 2 * i]) | uchar(text[3 + 2 * i]) << 8));
        return s;
    }
    if (text.size() >= 3 && uchar(text[0]) == 0xEF && uchar(text[1]) == 0xBB &&
        uchar(text[2]) == 0xBF)
        text = text.sliced(3);
    return QString::fromUtf8(text);
}

QStringView rootLongName(QStringView root) {
    static const QHash<QString, QString> shortNames = {
        {QStringLiteral("hklm"), QStringLiteral("hkey_local_machine")},
        {QStringLiteral("hkcu"), QStringLiteral("hkey_current_user")},
        {QStringLiteral("hkcr"), QStringLiteral("hkey_classes_root")},
        {QStringLiteral("hku"), QStringLiteral("hkey_users")},
        {QStringLiteral("hkcc"), QStringLiteral("hkey_current_config")},
    };
    const auto longName = shortNames.constFind(QString::fromRawData(root.data(), root.size()));
    return longName == shortNames.constEnd() ? root : QStringView(*longName);
}

// What QString::toCaseFolded gives, with ASCII folded by hand: the general
// folding looks every character up in a table, and nearly every name in a
// store is ASCII, whose folding is its lower case.
QString caseFolded(QString s) {
    if (!std::all_of(s.cbegin(), s.cend(), [](QChar c) { return c.unicode() < 0x80; }))
        return std::move(s).toCaseFolded();
    for (QChar& c : s)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return s;
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// A number of 1 to 8 hex digits making up the whole of text.
std::optional<std::uint32_t> hexNumber(QStringView text) {
    if (text.isEmpty() || text.size() > 8)
        return std::nullopt;
    std::uint32_t n = 0;
    for (QChar c : text) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        n = n << 4 | std::uint32_t(d);
    }
    return n;
}

// Reads a quoted string starting at text[pos] == '"'; only \\ and \" are
// escapes, any other backslash stands for itself. Moves pos past the
// closing quote; nullopt when the string is not closed on this line.
std::optional<QString> quoted(QStringView text, qsizetype& pos) {
    QString out;
    for (qsizetype i = pos + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"')) {
            pos = i + 1;
            return out;
        }
        if (c == QLatin1Char('\\') && i + 1 < text.size() &&
            (text[i + 1] == QLatin1Char('\\') || text[i + 1] == QLatin1Char('"'))) {
            out += text[++i];
            continue;
        }
        out += c;
    }
    return std::nullopt;
}

bool onlySpaceLeft(QStringView text, qsizetype pos) {
    return text.sliced(pos).trimmed().isEmpty();
}

// The stored keys as a tree over their paths, with a node only where paths
// branch or a key ends, so that a [-key] line reaches exactly the keys below
// it without looking at any other key. Adding a key makes at most two nodes
// and each node is taken out once, which keeps parsing linear however keys
// and deletions interleave, and the tree no bigger than the keys, however
// deep their paths.
class KeyTree final {
public:
    // Notes a normalized path as a stored key.
    void add(const QString& path) {
        int node = 0;
        for (;;) {
            const qsizetype start = labelStart(node);
            const auto edge = m_edges.constFind(Edge{node, component(path, start)});
            if (edge == m_edges.constEnd()) {
                link(node, newNode(path, path.size(), true));
                return;
            }
            const int child = *edge;
            const qsizetype length = m_nodes[child].length;
            const qsizetype shared = sharedLength(path, m_nodes[child].path, start, length);
            if (shared == length && shared == path.size()) {
                m_nodes[child].stored = true;
                return;
            }
            if (shared == length && path[shared] == QLatin1Char('\\')) {
                node = child;
                continue;
            }
            // The paths part inside the child's label: a node for the part
            // they share goes between.
            const qsizetype at =
                shared == path.size() && m_nodes[child].path[shared] == QLatin1Char('\\')
                    ? shared
                    : path.lastIndexOf(QLatin1Char('\\'), shared - 1);
            unlink(child);
            const int middle = newNode(path, at, at == path.size());
            link(node, middle);
            link(middle, child);
            if (at < path.size())
                link(middle, newNode(path, path.size(), true));
            return;
        }
    }

    // Takes the key at a normalized path and every key below it out of the
    // tree; returns their paths.
    QStringList cut(const QString& path) {
        int node = 0;
        for (;;) {
            const qsizetype start = labelStart(node);
            const auto edge = m_edges.constFind(Edge{node, component(path, start)});
            if (edge == m_edges.constEnd())
                return {};
            const int child = *edge;
            const Node& c = m_nodes[child];
            const qsizetype shared = sharedLength(path, c.path, start, c.length);
            if (shared == path.size() &&
                (shared == c.length || c.path[shared] == QLatin1Char('\\')))
                return cutBelow(child);
            if (shared < c.length || path[shared] != QLatin1Char('\\'))
                return {};
            node = child;
        }
    }

private:
    struct Node {
        QString path;         // starts with this node's path; shared with a key's
        qsizetype length = 0; // of this node's path
        bool stored = false;
        int parent = -1;
        int first = -1; // child
        int next = -1;  // sibling
        int previous = -1;
    };

    // A node's place under its parent, by the first component of its label;
    // the name points into the node's own path.
    struct Edge {
        int parent;
        QStringView name;
        friend bool operator==(const Edge&, const Edge&) = default;
        friend size_t qHash(const Edge& e, size_t seed) {
            return qHashMulti(seed, e.parent, e.name);
        }
    };

    static QStringView component(const QString& path, qsizetype start) {
        const qsizetype end = path.indexOf(QLatin1Char('\\'), start);
        return QStringView(path).sliced(start, (end < 0 ? path.size() : end) - start);
    }

    static qsizetype sharedLength(const QString& a, const QString& b, qsizetype from,
                                  qsizetype bLength) {
        const qsizetype limit = std::min(a.size(), bLength);
        while (from < limit && a[from] == b[from])
            ++from;
        return from;
    }

    qsizetype labelStart(int node) const { return node == 0 ? 0 : m_nodes[node].length + 1; }

    Edge edgeOf(int node) const {
        const Node& n = m_nodes[node];
        return Edge{n.parent, component(n.path, labelStart(n.parent))};
    }

    int newNode(const QString& path, qsizetype length, bool stored) {
        m_nodes.push_back(Node{path, length, stored});
        return int(m_nodes.size() - 1);
    }

    void link(int parent, int child) {
        Node& c = m_nodes[child];
        c.parent = parent;
        c.previous = -1;
        c.next = m_nodes[parent].first;
        if (c.next >= 0)
            m_nodes[c.next].previous = child;
        m_nodes[parent].first = child;
        m_edges.insert(edgeOf(child), child);
    }

    void unlink(int child) {
        m_edges.remove(edgeOf(child));
        const Node& c = m_nodes[child];
        if (c.previous >= 0)
            m_nodes[c.previous].next = c.next;
        else
            m_nodes[c.parent].first = c.next;
        if (c.next >= 0)
            m_nodes[c.next].previous = c.previous;
    }

    QStringList cutBelow(int top) {
        unlink(top);
        // A loop, not recursion: keys may be nested thousands deep.
        QStringList paths;
        std::vector<int> pending{top};
        while (!pending.empty()) {
            const int node = pending.back();
            pending.pop_back();
            for (int child = m_nodes[node].first; child >= 0; child = m_nodes[child].next) {
                m_edges.remove(edgeOf(child)); // before its path goes
                pending.push_back(child);
            }
            Node taken = std::exchange(m_nodes[node], {});
            if (taken.stored)
                paths.append(taken.path.left(taken.length));
        }
        return paths;
    }

    std::vector<Node> m_nodes = std::vector<Node>(1); // the root
    QHash<Edge, int> m_edges;
};

bool isBelow(const QString& key, const QString& ancestor) {
    return key.size() > ancestor.size() && key.startsWith(ancestor) &&
           key[ancestor.size()] == QLatin1Char('\\');
}

QByteArray textBytes(const QString& s) {
    QByteArray b = s.toUtf8();
    b.append('\0');
    return b;
}

} // namespace

QString RegFile::normalizedPath(QString keyPath) {
    // Built in one buffer: the parser calls this for every key line.
    const QString folded = caseFolded(std::move(keyPath));
    QString path;
    path.reserve(folded.size() + 16); // room for the longest root name
    for (QStringView part : QStringTokenizer(folded, QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        if (path.isEmpty()) {
            path += rootLongName(part);
        } else {
            path += QLatin1Char('\\');
            path += part;
        }
    }
    return path;
}

// Reads the file line by line; hex data may continue over lines ending "\".
class RegFileParser final {
public:
    RegFileParser(QStringView text, RegFile& out)
        : m_text(text)
        , m_out(out) {}

    void run() {
        while (auto line = nextLine()) {
            if (line->isEmpty())
                continue;
            m_out.m_header = *line == QLatin1String("REGEDIT4") ||
                             *line == QLatin1String("Windows Registry Editor Version 5.00");
            break;
        }
        if (!m_out.m_header)
            return;
        while (auto line = nextLine()) {
            if (line->isEmpty() || line->startsWith(QLatin1Char(';')))
                continue;
            if (line->startsWith(QLatin1Char('[')))
                keyLine(*line);
            else if (line->startsWith(QLatin1Char('"')) || line->startsWith(QLatin1Char('@')))
                valueLine(*line);
            else
                ++m_out.m_skipped;
        }
    }

private:
    void keyLine(QStringView line) {
        const qsizetype close = line.lastIndexOf(QLatin1Char(']'));
        m_values = nullptr;
        if (close < 0 || !onlySpaceLeft(line, close + 1)) {
            ++m_out.m_skipped;
            return;
        }
        QStringView name = line.sliced(1, close - 1);
        const bool remove = name.startsWith(QLatin1Char('-'));
        if (remove)
            name = name.sliced(1);
        const QString path = RegFile::normalizedPath(name.toString());
        if (path.isEmpty()) {
            ++m_out.m_skipped;
            return;
        }
        if (remove) {
            for (const QString& gone : m_tree.cut(path))
                m_out.m_keys.remove(gone);
            return;
        }
        auto key = m_out.m_keys.find(path);
        if (key == m_out.m_keys.end()) {
            key = m_out.m_keys.insert(path, {});
            m_tree.add(path);
        }
        m_values = &*key;
    }

    void valueLine(QStringView line) {
        qsizetype pos = 0;
        QString name;
        if (line.startsWith(QLatin1Char('@'))) {
            pos = 1;
        } else if (auto n = quoted(line, pos)) {
            name = caseFolded(std::move(*n));
        } else {
            ++m_out.m_skipped;
            return;
        }
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
        if (pos >= line.size() || line[pos] != QLatin1Char('=')) {
            ++m_out.m_skipped;
            return;
        }
        const QStringView data = line.sliced(pos + 1).trimmed();

        std::optional<RegValue> value;
        bool removeValue = false;
        if (data == QLatin1String("-"))
            removeValue = true;
        else if (data.startsWith(QLatin1Char('"')))
            value = stringData(data, REG_SZ);
        else if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive))
            value = dwordData(data.sliced(6));
        else if (data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive))
            value = hexData(data.sliced(3));
        else if (data.startsWith(QLatin1String("str("), Qt::CaseInsensitive))
            value = typedStringData(data.sliced(4));

        // Values under a key that was not opened (or was cut) go nowhere.
        if ((!value && !removeValue) || !m_values) {
            ++m_out.m_skipped;
            return;
        }
        if (removeValue)
            m_values->remove(name);
        else
            m_values->insert(name, *value);
    }

    static std::optional<RegValue> stringData(QStringView data, std::uint32_t type) {
        qsizetype pos = 0;
        const auto s = quoted(data, pos);
        if (!s || !onlySpaceLeft(data, pos))
            return std::nullopt;
        return RegValue{type, textBytes(*s)};
    }

    static std::optional<RegValue> dwordData(QStringView digits) {
        const auto n = hexNumber(digits);
        if (!n)
            return std::nullopt;
        QByteArray bytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            bytes[i] = char(*n >> (8 * i) & 0xFF);
        return RegValue{REG_DWORD, bytes};
    }

    // Wine writes typed strings as str(N):"text".
    static std::optional<RegValue> typedStringData(QStringView rest) {
        const qsizetype close = rest.indexOf(QLatin1String("):"));
        if (close < 0)
            return std::nullopt;
        const auto type = hexNumber(rest.first(close));
        if (!type)
            return std::nullopt;
        return stringData(rest.sliced(close + 2).trimmed(), *type);
    }

    // After "hex": ":" or "(N):", then bytes as two-digit hex numbers
    // separated by commas, continued over lines that end in "\".
    std::optional<RegValue> hexData(QStringView rest) {
        std::uint32_t type = REG_BINARY;
        if (rest.startsWith(QLatin1Char('('))) {
            const qsizetype close = rest.indexOf(QLatin1Char(')'));
            if (close < 0)
                return std::nullopt;
            const auto t = hexNumber(rest.sliced(1, close - 1));
            if (!t)
                return std::nullopt;
            type = *t;
            rest = rest.sliced(close + 1);
        }
        if (!rest.startsWith(QLatin1Char(':')))
            return std::nullopt;

        QByteArray bytes;
        QStringView chunk = rest.sliced(1).trimmed();
        bool ok = true;
        for (;;) {
            const bool more = chunk.endsWith(QLatin1Char('\\'));
            if (more)
                chunk.chop(1);
            ok = ok && hexBytes(chunk, bytes);
            if (!more)
                break;
            const auto next = nextLine();
            if (!next)
                return std::nullopt; // cut short
            chunk = *next;
        }
        if (!ok)
            return std::nullopt;
        return RegValue{type, bytes};
    }

    // Appends "aa,bb,..." to bytes; a trailing comma is expected before a
    // continuation and allowed at the end.
    static bool hexBytes(QStringView chunk, QByteArray& bytes) {
        chunk = chunk.trimmed();
        if (chunk.isEmpty())
            return true;
        const auto tokens = chunk.split(QLatin1Char(','));
        for (qsizetype t = 0; t < tokens.size(); ++t) {
            const QStringView token = tokens[t].trimmed();
            if (token.isEmpty() && t == tokens.size() - 1)
                break;
            if (token.isEmpty() || token.size() > 2)
                return false;
            const auto b = hexNumber(token);
            if (!b)
                return false;
            bytes.append(char(*b));
        }
        return true;
    }

    // The next line without its line end and surrounding space; nullopt at
    // the end of the text.
    std::optional<QStringView> nextLine() {
        if (m_pos > m_text.size())
            return std::nullopt;
        qsizetype end = m_text.indexOf(QLatin1Char('\n'), m_pos);
        if (end < 0)
            end = m_text.size();
        const QStringView line = m_text.sliced(m_pos, end - m_pos).trimmed();
        m_pos = end + 1;
        return line;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
    RegFile& m_out;
    KeyTree m_tree;
    // The values of the key the last key line opened; only key lines add or
    // remove keys, so the pointer holds until the next one.
    QHash<QString, RegValue>* m_values = nullptr;
};

RegFile RegFile::parse(QByteArrayView text) {
    RegFile file;
    const QString decoded = decode(text);
    RegFileParser(decoded, file).run();
    return file;
}

bool RegFile::hasKey(const QString& keyPath) const {
    const QString path = normalizedPath(keyPath);
    if (m_keys.contains(path))
        return true;
    // An ancestor of a named key exists too, without values of its own.
    for (auto k = m_keys.cbegin(); k != m_keys.cend(); ++k)
        if (isBelow(k.key(), path))
            return true;
    return false;
}

std::optional<QHash<QString, RegValue>> RegFile::values(const QString& keyPath) const {
    const auto k = m_keys.constFind(normalizedPath(keyPath));
    if (k != m_keys.constEnd())
        return *k;
    if (hasKey(keyPath))
        return QHash<QString, RegValue>{};
    return std::nullopt;
}

std::optional<RegValue> RegFile::value(const QString& keyPath, const QString& name) const {
    const auto k = m_keys.constFind(normalizedPath(keyPath));
    if (k == m_keys.constEnd())
        return std::nullopt;
    const auto v = k->constFind(name.toCaseFolded());
    if (v == k->constEnd())
        return std::nullopt;
    return *v;
}

} // namespace qel
