#pragma once

class QLabel;
class QWidget;

namespace qel {

// Makes `label` the caption a screen reader reads for `control`, a list or
// text box that has none of its own: its name, and the label it is labelled
// by; its tooltip, already set, becomes its description.
void describeBy(QLabel* label, QWidget* control);

} // namespace qel
