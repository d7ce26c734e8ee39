#pragma once

#include "platform/Controls.h"

#include <QWidget>

namespace qel {

class Drives;

// The progress window's clip: a control that plays silent clips. Each
// platform has a player of its own behind this.
class ClipControl : public QWidget, public Animation {
    Q_OBJECT
public:
    using QWidget::QWidget;
};

// The platform's clip control, owned by parent; defined beside the player
// the build picks.
ClipControl* makeClipControl(const Drives& drives, QWidget* parent);

} // namespace qel
