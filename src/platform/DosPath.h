#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <optional>

namespace qel {

// An absolute DOS path taken apart: "c:\DATA\\ACCT1\" is drive 'C' with the
// components {"DATA", "ACCT1"}, its letter written in lower case. Separators may be "\" or "/",
// doubled ones count as one, "." is dropped and ".." goes up but never above the root.
struct DosPath {
    QChar drive; // upper case
    QStringList components;
    // The letter as the path was written ("a:" as a drive list gives it), so
    // texts shown to the user keep it; it plays no part in comparisons.
    bool lowerCaseDrive = false;

    // nullopt when text is not "<letter>:" followed by a separator, or a
    // component holds ":" or a control character (they cannot name a file).
    static std::optional<DosPath> parse(const QString& text);

    bool isRoot() const { return components.isEmpty(); }
    // "C:", or "c:" when written so
    QString driveText() const { return QString(lowerCaseDrive ? drive.toLower() : drive) + u':'; }
    // "C:\" at the root, "C:\DATA\ACCT1" below it: one separator, none trailing.
    QString toString() const;
    // The folder holding this one; the root is its own parent.
    DosPath parent() const;
    // This path with one more component (name is taken as is).
    DosPath child(const QString& name) const;

    friend bool operator==(const DosPath& a, const DosPath& b) {
        return a.drive == b.drive && a.components == b.components;
    }
};

// The upper-case drive letter a text begins with ("a:", "C:\X", "a: [STICK]"),
// nullopt when it does not begin with a letter and a colon.
std::optional<QChar> dosDriveLetter(const QString& text);

// Whether text names a drive rather than a path: a letter and a colon not
// followed by a separator ("C:", "a: [STICK]").
bool isDosDriveText(const QString& text);

// text as a DOS path (see DosPath::parse); throws Error 76 when it is none.
DosPath requireDosPath(const QString& text);

// Whether text ends in a separator ("a:\ACCT1\"): it names a folder.
bool endsWithDosSeparator(const QString& text);

} // namespace qel
