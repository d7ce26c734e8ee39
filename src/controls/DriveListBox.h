#pragma once

#include "platform/Controls.h"

#include <QComboBox>

namespace qel {

class Drives;

// The classic drive list: one entry per drive of the drive table.
class DriveListBox final : public QComboBox, public DriveList {
    Q_OBJECT
public:
    explicit DriveListBox(const Drives& drives, QWidget* parent = nullptr);

    QString Drive() const override;
    void setDrive(const QString& text) override;
    int ListCount() const override;
    QString List(int i) const override;

signals:
    // The selection moved, by the user or by setDrive.
    void Change();

private:
    const Drives& m_drives;
    // ... implementation state
};

} // namespace qel
