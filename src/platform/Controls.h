#pragma once

#include <QString>

namespace qel {

// The toolkit's controls as the program's logic sees them. The widgets in
// controls/ implement these; tests use fakes. A write that changes a list
// raises that list's change event, whose handler runs inside the write.

class DriveList {
public:
    virtual ~DriveList() = default;

    // The text of the selected entry ("C:", "a: [STICK]").
    virtual QString Drive() const = 0;
    // Selects the entry whose letter begins text (either case) and raises
    // Change when the selection moves. Throws Error 68 when that drive is not
    // ready or not listed; the selection then stays.
    virtual void setDrive(const QString& text) = 0;
    virtual int ListCount() const = 0;
    // Throws Error 381 when i is out of range.
    virtual QString List(int i) const = 0;
};

class DirList {
public:
    virtual ~DirList() = default;

    // Absolute DOS path; ends in "\" only at a drive root.
    virtual QString Path() const = 0;
    // Accepts a path or a drive text (which means that drive's current
    // directory) and raises Change when the path changes. Throws Error 68
    // when the drive is not ready, 76 for a missing folder, 70 unreadable.
    virtual void setPath(const QString& pathOrDrive) = 0;
};

class FileList {
public:
    virtual ~FileList() = default;

    virtual QString Path() const = 0;
    // Refills the list with the folder's files. On failure the list is left
    // empty on the new path and Error 68, 76 or 70 is thrown.
    virtual void setPath(const QString& path) = 0;
    virtual int ListCount() const = 0;
    // Throws Error 381 when i is out of range.
    virtual QString List(int i) const = 0;
    // The entry last clicked, -1 when none.
    virtual int ListIndex() const = 0;
};

class TextBox {
public:
    virtual ~TextBox() = default;

    virtual QString Text() const = 0;
    virtual void setText(const QString& text) = 0;
};

// The animation control that plays silent clips.
class Animation {
public:
    virtual ~Animation() = default;

    // Opens the clip at a DOS path. Throws an Error when the clip is missing,
    // unreadable or damaged.
    virtual void Open(const QString& path) = 0;
    // Plays the whole clip, repeated until Stop. Throws when no clip is open.
    virtual void Play() = 0;
    // Both always succeed quietly, also when no clip is open.
    virtual void Stop() = 0;
    virtual void Close() = 0;
};

} // namespace qel
