// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the update window makes of a page: a document that is never more
// than a person reads (the rest left out, and said so), whose resources are
// only the web pictures fetched for it. Qt would otherwise read a local
// file, a data: address or the program's own resources for any name the
// page gives, and lay out megabytes of lines on the window's thread.
// Everything here runs on any thread; it is Qt Gui, so it lives with the
// windows.

#include <QImage>
#include <QList>
#include <QString>
#include <QUrl>
#include <QVariant>

#include <memory>

#include <QTextDocument>

class QFont;

// The most laid out of a page: characters (a line break counts one) and lines.
inline constexpr int kMaxPageChars = 256 * 1024;
inline constexpr int kMaxPageLines = 5000;
// The most pictures fetched for a page, and the largest one decoded.
inline constexpr int kMaxPagePictures = 32;
inline constexpr qint64 kMaxPagePicturePixels = qint64(2048) * 2048;

// The most tags of a page's HTML parsed: Qt's parser takes seconds for
// tens of thousands, and a person reads less than that.
inline constexpr int kMaxPageTags = 32 * 1024;
// ... and the most elements open at once (each one open makes every later
// one slower to parse).
inline constexpr int kMaxPageDepth = 256;

// The line that ends a page cut short.
QString PageLeftOutLine();

// The part of a page's text worth parsing, so that the parse itself stays
// short: plain text up to the line after kMaxPageLines, HTML up to the tag
// that passes kMaxPageTags or kMaxPageDepth, or follows twice kMaxPageChars
// characters outside tags (cut before that tag). The document made of it is
// then cut exactly by CapPageDocument.
QString PageSourceToParse(const QString &text, bool plainText);

// Cuts doc where it passes maxChars characters or maxLines lines, ending it
// with PageLeftOutLine(); a table keeps its rows before the cut, any other
// frame the cut falls in goes whole. True when something was left out.
bool CapPageDocument(QTextDocument &doc, int maxChars = kMaxPageChars,
                     int maxLines = kMaxPageLines);

// What the page is given for a resource that was not fetched for it: an
// empty picture, never a null one (for a null one Qt loads the image's name
// itself, as a local file).
QVariant NoPageResource();

// A page's document: every resource it looks for comes from what was added
// to it with addResource, else NoPageResource(). Qt's own loading is never
// reached (it reads local files, data: addresses and the program's
// resources, and a style sheet named /dev/zero without end).
class PageDocument final : public QTextDocument
{
public:
    using QTextDocument::QTextDocument;

protected:
    QVariant loadResource(int type, const QUrl &name) override;
};

// The page in a new PageDocument for the view: HTML (or plain text) over
// base, in font, its text capped.
std::unique_ptr<QTextDocument> BuildPageDocument(const QString &text, bool plainText,
                                                 const QUrl &base, const QFont &font);

// A picture of the page: the http or https address it resolves to and the
// document positions that show it.
struct PagePicture
{
    QUrl address;
    QList<int> positions;
};
// The page's web pictures, each address once in the order first shown, at
// most kMaxPagePictures; names outside http and https are not among them.
QList<PagePicture> PagePictures(const QTextDocument &doc);

// A fetched picture's bytes decoded; a null image for what is no picture
// or is over kMaxPagePicturePixels.
QImage DecodePagePicture(const QByteArray &bytes);
