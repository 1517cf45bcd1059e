#pragma once

#include "fileops/JournalFormat.h"

#include <functional>

namespace fileops {

// Settles the operations that a crash interrupted by what the disk shows, hands a step whose unit
// a crash cut in two to settleUnit, and puts each step on the stack where its files say it
// belongs. Nothing is removed that is not ours, and nothing of ours whose bytes are not also
// somewhere else. True when the stacks changed.
bool settleInterrupted(JournalStacks &stacks, const std::function<void(JournalStep &)> &settleUnit);

// A rename that could neither finish nor go back leaves the file under our temporary name.
bool isUnderTemporaryName(const JournalFile &file);

} // namespace fileops
