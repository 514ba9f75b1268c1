// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ErrorStyles.h"

#include "platform/Prompts.h"

AppError currentAppError()
{
    try {
        throw;
    } catch (const AppError &e) {
        return e;
    } catch (const std::bad_alloc &) {
        return AppError(ErrNo::OutOfMemory, QStringLiteral("Out of memory"));
    } catch (...) {
        return AppError(ErrNo::InternalError, QStringLiteral("Internal error"));
    }
}

void showDescription(Prompts &prompts, const AppError &error)
{
    prompts.MsgBox(error.description(), MsgButtons::OkOnly, MsgIcon::Critical);
}
