#include "platform/Dialogs.h"

namespace qel {

Buttons buttonsOf(BoxKind kind) {
    switch (kind) {
    case BoxKind::Notice:
    case BoxKind::Error:
        return Buttons::OK;
    case BoxKind::Confirmation:
    case BoxKind::Exit:
        return Buttons::YesNo;
    case BoxKind::FileNotFound:
    case BoxKind::DiskRequest:
        return Buttons::OKCancel;
    case BoxKind::DriveRetry:
        return Buttons::RetryCancel;
    }
    return Buttons::OK;
}

} // namespace qel
