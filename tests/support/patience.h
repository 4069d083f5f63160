// Waiting for a worker in a test. The limit only keeps a hung test from waiting for ever: it
// is far beyond any run on a loaded machine and below the test program's own time-out.
#pragma once

#include <QTest>
#include <chrono>

inline constexpr std::chrono::milliseconds kPatience = std::chrono::minutes(4);

// Serves the event loop until done() holds or the limit passed; what done() says then.
template <typename Done>
bool WaitUntil(Done done) {
    const auto end = std::chrono::steady_clock::now() + kPatience;
    while (!done() && std::chrono::steady_clock::now() < end) QTest::qWait(2);
    return done();
}
