// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the About box and the update window show about the program itself:
// its version (from the one version the build declares), its descriptive
// texts and the maker's addresses (chosen when the program is built).

#include <QString>

struct ProgramVersion
{
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// "2.3.12" as its three numbers; missing parts are 0.
ProgramVersion parseVersion(const QString &text);
// The version this build declares.
ProgramVersion programVersion();
// "2.3.12": the numbers as plain decimals joined by dots.
QString versionNumbers(const ProgramVersion &version);
// "Version 2.3.12".
QString VersionText(const ProgramVersion &version);

// The file description, trademark and legal notice of this build.
QString FileDescription();
QString LegalTrademarks();
QString LegalCopyright();
// The trademark text, seven blanks and the legal notice.
QString VarkText();
// "Use this software at your own risk.", two line breaks, the database.
QString DisclaimerText(const QString &databasename);

// The maker's product page, mail-to link and update page.
QString ProductPageAddress();
QString MailAddress();
QString UpdatePageAddress();
