#pragma once

#include "platform/Notifier.h"

namespace qel {

// A balloon from the notification area, under the program's icon there,
// which stays until Windows has hidden the balloon (after the time the
// person's settings give notifications) or they clicked it.
class WindowsNotifier final : public Notifier {
public:
    QString notify(const QString& summary, const QString& body) override;
};

} // namespace qel
