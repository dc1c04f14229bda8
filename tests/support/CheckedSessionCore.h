#pragma once
// A session over a device with every read and write checked against the wire.
// Without GoogleTest, so that the tests and the fuzz targets share it: the
// tests add the expectation, the fuzz targets stop the run.
#include "acquisition/Session.h"
#include "link/Device.h"
#include "support/Invariants.h"

namespace qm::test {

template <typename DisplayType>
struct CheckedSessionCore {
    explicit CheckedSessionCore(link::Device& device) : checker(device), session(checker, display)
    {
        checker.attach(session);
    }

    ReadChecker checker;
    DisplayType display;
    acquisition::Session session;
};

} // namespace qm::test
