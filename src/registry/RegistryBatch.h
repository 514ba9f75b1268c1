// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The start-up's registry tasks written as one: thousands of tasks would
// otherwise rewrite and sync the whole registry file once each.

#include <functional>

class Prompts;

// Runs tasks as one batch of the registry store: each call of the registry
// procedures inside answers as it would alone, but its change stays in
// memory, and each root file changed is written once at the end, under the
// root's lock held from the first change. True from SetRegValue or
// DeleteRegKeyValue there means the change was made in the batch.
//
// The OK-only boxes the tasks ask for are shown after that write, in their
// order, so that the lock is not held while the user reads them (another
// writer would take it over as stale). A failed write comes last, in the
// words of the result-code rule, as a single deletion's failed write shows
// it; its file is left as it was. A failure thrown by tasks ends the batch
// the same way and then goes to the caller.
void runRegistryBatch(Prompts &prompts, const std::function<void(Prompts &)> &tasks);
