#pragma once
// Counts every allocation of the test program: linking AllocationCounter.cpp
// replaces the global operator new with one that counts, so that any
// allocation inside a per-frame operation (a temporary vector, a grown
// scratch list) shows up.

namespace wobble::test {

long AllocationCount();

// Allocations made while `action` runs.
template <typename Action>
long AllocationsDuring(Action&& action) {
    const long before = AllocationCount();
    action();
    return AllocationCount() - before;
}

}  // namespace wobble::test
