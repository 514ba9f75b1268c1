// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the iCalendar and vCard readers do to a file before reading its
// lines: Windows exports come in UTF-16 with a byte-order mark, and some
// programs write blank lines before the first one.

#include <QByteArray>
#include <QString>

// The file's bytes as UTF-8 without a byte-order mark (UTF-16 LE or BE
// with its mark decoded, anything else as it is), once its first line that
// is not blank is first (in any case, trailing blanks aside). That is
// decided from the first bytes, so that a large file of another kind is
// refused at once. Throws unreadableFile(kind, ...): "it does not begin
// with <first>.", or "it is not UTF-16 text." for a broken UTF-16 file.
QByteArray calendarFileText(const QByteArray &bytes, const QString &kind, const QByteArray &first);

// The number (from 1) of the first line holding more than maxBytes bytes,
// its ending aside; 0 when no line does.
int overlongLine(const QByteArray &bytes, qsizetype maxBytes);
