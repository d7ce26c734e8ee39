#include "controls/AccessibleLabel.h"

#include <QLabel>

namespace qel {

void describeBy(QLabel* label, QWidget* control) {
    // The buddy gives the labelled-by relation (all a combo box offers, its
    // name being its value); list views read only an explicit name, and not
    // the tooltip as their description unless told.
    label->setBuddy(control);
    control->setAccessibleName(label->text());
    if (!control->toolTip().isEmpty())
        control->setAccessibleDescription(control->toolTip());
}

} // namespace qel
