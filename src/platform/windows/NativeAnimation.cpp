// PLACEHOLDER until the clip control lands.
#include "controls/ClipControl.h"
#include "platform/Error.h"
namespace qel {
namespace {
class Placeholder final : public ClipControl {
public:
    using ClipControl::ClipControl;
    void Open(const QString&) override { throw Error(75); }
    void Play() override {}
    void Stop() override {}
    void Close() override {}
};
}
ClipControl* makeClipControl(const Drives&, QWidget* parent) { return new Placeholder(parent); }
}
