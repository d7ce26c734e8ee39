#pragma once

#include "platform/Controls.h"

#include <QComboBox>

namespace qel {

class Drives;
struct DriveEntry;

// The classic drive list: a drop-down with one entry per drive of the drive
// table, read afresh whenever it opens or is refreshed (the window refreshes
// it when the mounts change), so that media that come and go show.
class DriveListBox final : public QComboBox, public DriveList {
    Q_OBJECT
public:
    // Starts on the drive of drives.startDirectory(), without raising Change.
    explicit DriveListBox(Drives& drives, QWidget* parent = nullptr);

    QString Drive() const override;
    // Mounts the drive's medium first when it is plugged in but not mounted.
    // Throws 68 when the drive is unknown or stays not ready.
    void setDrive(const QString& text) override;
    int ListCount() const override;
    QString List(int i) const override;

    // Re-reads the entries, keeping the selected drive (listed even if it has
    // gone, until the selection moves). Never raises Change.
    void refresh();

    void showPopup() override;

signals:
    // The selection moved, by the user or by setDrive.
    void Change();

private:
    void fill(const QList<DriveEntry>& entries, QChar selected);
    int indexOfLetter(QChar letter) const;
    QChar selectedLetter() const;

    Drives& m_drives;
    bool m_filling = false;
};

} // namespace qel
