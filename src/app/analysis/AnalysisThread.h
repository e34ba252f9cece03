#pragma once
// An analysis run on a thread of its own while the window's thread waits in an event loop.

#include <functional>
#include <thread>

// Runs work on its own thread while wait runs here; wait must return once work has ended
// (work signals it). Whatever happens, runner is cancelled and the thread has ended before
// this returns, so nothing work uses goes away under it.
template <class TRunner>
void RunBesideWindow(TRunner& runner, const std::function<void()>& work,
                     const std::function<void()>& wait) {
    struct TJoin {
        TRunner& Runner;
        std::thread Worker;
        ~TJoin() {
            Runner.Cancel();
            if (Worker.joinable()) Worker.join();
        }
    } join{runner, std::thread(work)};
    wait();
}
