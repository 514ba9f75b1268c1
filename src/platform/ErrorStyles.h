// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three ways the program meets a failing step, one helper each, all
// catching the same failures (the program's own errors, running out of
// memory, anything else):
//   - showing: a box through the handler's own wording, then the next step;
//   - ignoring: skipped without a word, the caller checks the state later;
//   - no handling: the failure goes to the caller (no helper: let it pass).

#include "platform/AppError.h"

#include <QString>
#include <new>

class Prompts;

// The failure being handled, as the run-time error it stands for: an
// AppError as it is, running out of memory as 7, anything else as 51.
// Call it only inside a catch block.
AppError currentAppError();

// Runs work; false, with the failure dropped, when it failed.
template <typename F> bool ignoringErrors(F &&work) noexcept
{
    try {
        work();
        return true;
    } catch (...) {
        return false;
    }
}

// Runs work; a failure goes to report(const AppError &), which shows it,
// and false is returned. A failing report is not caught.
template <typename F, typename R> bool showingErrors(F &&work, R &&report)
{
    AppError failure(0, QString());
    try {
        work();
        return true;
    } catch (...) {
        failure = currentAppError();
    }
    report(failure);
    return false;
}

// The windows' wording: the description alone, OK only, critical icon.
void showDescription(Prompts &prompts, const AppError &error);

// showingErrors with the windows' wording.
template <typename F> bool showingDescription(Prompts &prompts, F &&work)
{
    return showingErrors(std::forward<F>(work),
                         [&prompts](const AppError &e) { showDescription(prompts, e); });
}
