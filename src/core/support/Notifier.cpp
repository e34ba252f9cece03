#include "core/support/Notifier.h"

namespace {
TNotifier SilentNotifier;
TNotifier* Current = &SilentNotifier;
} // namespace

TNotifier& Notifier() {
    return *Current;
}

void SetNotifier(TNotifier* notifier) {
    Current = notifier ? notifier : &SilentNotifier;
}
