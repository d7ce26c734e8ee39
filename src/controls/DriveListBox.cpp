#include "controls/DriveListBox.h"

#include "platform/DosPath.h"
#include "platform/Drives.h"
#include "platform/Error.h"

#include <QStyle>
#include <algorithm>

namespace qel {

namespace {

constexpr int LetterRole = Qt::UserRole;
constexpr int RemovableRole = Qt::UserRole + 1;
constexpr int InvalidIndex = 381;

} // namespace

DriveListBox::DriveListBox(Drives& drives, QWidget* parent)
    : QComboBox(parent)
    , m_drives(drives) {
    setEditable(false);
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling)
            emit Change();
    });
    fill(m_drives.entries(), dosDriveLetter(m_drives.startDirectory()).value_or(QChar()));
}

QString DriveListBox::Drive() const {
    return currentText();
}

void DriveListBox::setDrive(const QString& text) {
    const auto letter = dosDriveLetter(text.left(1) + u':');
    if (!letter)
        throw Error(err::DeviceUnavailable);
    m_drives.makeReady(*letter);
    // A medium may have been put in (or mounted just now, with its label)
    // since the list was last read.
    refresh();
    const int index = indexOfLetter(*letter);
    if (index < 0)
        throw Error(err::DeviceUnavailable);
    setCurrentIndex(index); // raises Change when the selection moves
}

int DriveListBox::ListCount() const {
    return count();
}

QString DriveListBox::List(int i) const {
    if (i < 0 || i >= count())
        throw Error(InvalidIndex, QStringLiteral("Invalid property array index"));
    return itemText(i);
}

void DriveListBox::refresh() {
    fill(m_drives.entries(), selectedLetter());
}

void DriveListBox::showPopup() {
    refresh();
    QComboBox::showPopup();
}

void DriveListBox::fill(const QList<DriveEntry>& entries, QChar selected) {
    QList<DriveEntry> shown = entries;
    const bool listed = std::any_of(shown.begin(), shown.end(),
                                    [&](const DriveEntry& e) { return e.letter == selected; });
    if (!selected.isNull() && !listed && currentIndex() >= 0) {
        // The selected drive has gone: it stays listed, so the selection does
        // not move by itself behind the user's back.
        DriveEntry kept{selected, currentText(), currentData(RemovableRole).toBool()};
        const auto at = std::find_if(shown.begin(), shown.end(),
                                     [&](const DriveEntry& e) { return e.letter > selected; });
        shown.insert(at, kept);
    }

    const QIcon removable = style()->standardIcon(QStyle::SP_DriveFDIcon);
    const QIcon fixed = style()->standardIcon(QStyle::SP_DriveHDIcon);
    m_filling = true;
    clear();
    for (const DriveEntry& entry : shown) {
        addItem(entry.removable ? removable : fixed, entry.text, QVariant(entry.letter));
        setItemData(count() - 1, entry.removable, RemovableRole);
    }
    int index = selected.isNull() ? -1 : indexOfLetter(selected);
    if (index < 0 && count() > 0)
        index = 0;
    setCurrentIndex(index);
    m_filling = false;
}

int DriveListBox::indexOfLetter(QChar letter) const {
    const QChar upper = letter.toUpper();
    for (int i = 0; i < count(); ++i)
        if (itemData(i, LetterRole).toChar() == upper)
            return i;
    return -1;
}

QChar DriveListBox::selectedLetter() const {
    return currentIndex() < 0 ? QChar() : currentData(LetterRole).toChar();
}

} // namespace qel
