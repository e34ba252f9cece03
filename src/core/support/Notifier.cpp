#include "core/support/Notifier.h"

namespace {
TNotifier SilentNotifier;
TNotifier* Current = &SilentNotifier;
thread_local constinit TNotifier* ThreadNotifier = nullptr;
} // namespace

TNotifier& Notifier() {
    return ThreadNotifier ? *ThreadNotifier : *Current;
}

void SetNotifier(TNotifier* notifier) {
    Current = notifier ? notifier : &SilentNotifier;
}

TThreadNotifierScope::TThreadNotifierScope(TNotifier* notifier) : Outer(ThreadNotifier) {
    ThreadNotifier = notifier;
}

TThreadNotifierScope::~TThreadNotifierScope() {
    ThreadNotifier = Outer;
}
