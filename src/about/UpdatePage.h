// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rules of the update window that need no window: its label, the
// browser's height, which addresses it fetches, which of the page's links
// it opens, and the page it shows when the update page cannot be had.

#include "about/AboutTexts.h"

#include <QString>
#include <QUrl>

// Three blanks, "[Your current Version: 2.3.3]", three blanks, the advice.
QString UpdateLabelText(const ProgramVersion &version);
// The browser's height (twips) for an inner window height: the distance
// between it and the label's height, never negative.
int WebHeight(int innerHeight, int labelHeight);
// Why the browser refuses an address, or "" when it fetches it: only
// complete http and https addresses are fetched.
QString RefusedAddressReason(const QUrl &address);
// A link clicked on the page shown from page: its address, resolved against
// page, and why it is not opened ("" when it goes to the user's browser).
struct PageLink
{
    QUrl address;
    QString refusal;
};
// Only complete http and https addresses (any case) are opened. The page may
// come over plain http, where anyone on the way can change it: a file:,
// smb:, javascript: or data: link would hand the desktop a local program, a
// network share or a script. A mailto: link is refused too, since it can ask
// the mail program to attach local files; the maker's mail address is on
// the About box.
PageLink ClickedLink(const QUrl &page, const QUrl &link);
// The page shown in place of one that could not be fetched: the address and
// the reason, as text (nothing from either is read as markup).
QString ErrorPageHtml(const QUrl &address, const QString &reason);
