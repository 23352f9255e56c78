// Running a piece of a test on a small stack, so that a walk whose stack grows with the depth of
// the tree crashes instead of passing.
#pragma once

#include <functional>

// Runs `work` on a thread of its own with a 64 KiB stack and waits for it; false when no such
// thread could be made.
bool RunWithSmallStack(const std::function<void()>& work);
