#pragma once
// The rules of the update window that need no window: its label, the
// browser's height, which addresses it fetches, and the page it shows when
// the update page cannot be had.

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
// The page shown in place of one that could not be fetched: the address and
// the reason, as text (nothing from either is read as markup).
QString ErrorPageHtml(const QUrl &address, const QString &reason);
