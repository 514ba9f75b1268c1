// SPDX-License-Identifier: GPL-3.0-or-later
#include "about/ui/PageText.h"

#include "about/UpdatePage.h"

#include <QBuffer>
#include <QFont>
#include <QImageReader>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>

namespace {

// The first position left out by the line limit: the break that would
// start line maxLines + 1 (a block's end or a line separator), or -1.
int lineCut(const QTextDocument &doc, int maxLines)
{
    int lines = 0;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text.at(i) == QChar::LineSeparator && ++lines == maxLines)
                return block.position() + int(i);
        }
        if (++lines == maxLines && block.next().isValid())
            return block.position() + block.length() - 1;
    }
    return -1;
}

// Where plain text passes the limits: just after the line past
// kMaxPageLines or the character after kMaxPageChars + 1.
qsizetype plainTextEnd(const QString &text)
{
    int lines = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i > qsizetype(kMaxPageChars) ||
            (text.at(i) == QLatin1Char('\n') && ++lines > kMaxPageLines))
            return i + 1;
    }
    return text.size();
}

// Tags never left open: empty ones and those the parser closes at the next
// of their kind.
bool neverNests(const QString &name)
{
    static const QSet<QString> names = {
        QStringLiteral("br"),    QStringLiteral("img"),   QStringLiteral("hr"),
        QStringLiteral("meta"),  QStringLiteral("link"),  QStringLiteral("input"),
        QStringLiteral("col"),   QStringLiteral("area"),  QStringLiteral("base"),
        QStringLiteral("wbr"),   QStringLiteral("param"), QStringLiteral("p"),
        QStringLiteral("li"),    QStringLiteral("tr"),    QStringLiteral("td"),
        QStringLiteral("th"),    QStringLiteral("dt"),    QStringLiteral("dd"),
        QStringLiteral("option")};
    return names.contains(name);
}

// Where HTML passes the limits: before the tag past kMaxPageTags, past
// kMaxPageDepth open elements or after twice kMaxPageChars characters.
qsizetype htmlEnd(const QString &text)
{
    qsizetype chars = 0;
    int tags = 0, depth = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('<')) {
            ++chars;
            continue;
        }
        if (++tags > kMaxPageTags || depth > kMaxPageDepth || chars > 2 * qsizetype(kMaxPageChars))
            return i;
        const qsizetype close = text.indexOf(QLatin1Char('>'), i);
        if (close < 0)
            break;
        const bool closing = text.at(i + 1) == QLatin1Char('/');
        qsizetype at = i + (closing ? 2 : 1);
        const qsizetype name = at;
        while (at < close && text.at(at).isLetterOrNumber())
            ++at;
        const QString tag = text.mid(name, at - name).toLower();
        if (!tag.isEmpty() && !neverNests(tag) && text.at(close - 1) != QLatin1Char('/'))
            depth = closing ? std::max(0, depth - 1) : depth + 1;
        i = close;
    }
    return text.size();
}

// The left-out line as the document's last paragraph.
void appendLeftOutLine(QTextDocument &doc)
{
    QTextCursor cursor(&doc);
    cursor.movePosition(QTextCursor::End);
    if (cursor.position() > 0)
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    cursor.insertText(PageLeftOutLine(), QTextCharFormat());
}

} // namespace

QString PageLeftOutLine()
{
    return QStringLiteral("The rest of this page was left out: it is too long to show here.");
}

QString PageSourceToParse(const QString &text, bool plainText)
{
    return text.left(plainText ? plainTextEnd(text) : htmlEnd(text));
}

bool CapPageDocument(QTextDocument &doc, int maxChars, int maxLines)
{
    const int end = doc.characterCount() - 1;
    int cut = lineCut(doc, maxLines);
    if (cut < 0 || cut > maxChars)
        cut = maxChars;
    if (cut >= end)
        return false;
    QTextCursor cursor(&doc);
    cursor.setPosition(cut);
    // The outermost frame the cut falls in: a table keeps its rows before
    // the cut (a row cut through would keep its later cells), any other
    // frame goes whole.
    QTextFrame *outer = cursor.currentFrame();
    while (outer && outer->parentFrame() && outer->parentFrame() != doc.rootFrame())
        outer = outer->parentFrame();
    if (outer && outer != doc.rootFrame()) {
        auto *table = qobject_cast<QTextTable *>(outer);
        const int row = table ? table->cellAt(cut).row() : 0;
        if (row > 0) {
            table->removeRows(row, table->rows() - row);
            cut = table->lastPosition() + 1;
        } else {
            cut = std::max(0, outer->firstPosition() - 1);
        }
        cursor.setPosition(cut);
    }
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    appendLeftOutLine(doc);
    return true;
}

QVariant NoPageResource()
{
    QImage none(1, 1, QImage::Format_ARGB32);
    none.fill(Qt::transparent);
    return none;
}

QVariant PageDocument::loadResource(int type, const QUrl &name)
{
    Q_UNUSED(type)
    Q_UNUSED(name)
    return NoPageResource();
}

std::unique_ptr<QTextDocument> BuildPageDocument(const QString &text, bool plainText,
                                                 const QUrl &base, const QFont &font)
{
    auto doc = std::make_unique<PageDocument>();
    doc->setDefaultFont(font);
    doc->setBaseUrl(base);
    const QString parsed = PageSourceToParse(text, plainText);
    if (plainText)
        doc->setPlainText(parsed);
    else
        doc->setHtml(parsed);
    // A page of tags alone can be cut before it has much text to cut.
    if (!CapPageDocument(*doc) && parsed.size() < text.size())
        appendLeftOutLine(*doc);
    return doc;
}

QList<PagePicture> PagePictures(const QTextDocument &doc)
{
    QList<PagePicture> pictures;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextImageFormat image = fragment.charFormat().toImageFormat();
            if (!image.isValid())
                continue;
            // As Qt names the resource: ":/" a resource of the program's,
            // resolved against the page.
            QString name = image.name();
            if (name.startsWith(QLatin1String(":/")))
                name.prepend(QLatin1String("qrc"));
            const QUrl address = doc.baseUrl().resolved(QUrl(name));
            if (!RefusedAddressReason(address).isEmpty())
                continue;
            auto known = std::find_if(pictures.begin(), pictures.end(),
                                      [&](const PagePicture &p) { return p.address == address; });
            if (known == pictures.end()) {
                if (pictures.size() == kMaxPagePictures)
                    continue;
                known = pictures.insert(pictures.end(), PagePicture{address, {}});
            }
            for (int i = 0; i < fragment.length(); ++i)
                known->positions << fragment.position() + i;
        }
    }
    return pictures;
}

QImage DecodePagePicture(const QByteArray &bytes)
{
    QByteArray data = bytes;
    QBuffer in(&data);
    in.open(QIODevice::ReadOnly);
    QImageReader reader(&in);
    reader.setAllocationLimit(int(kMaxPagePicturePixels * 4 / (1024 * 1024)) + 16);
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid() ||
        qint64(size.width()) * size.height() > kMaxPagePicturePixels)
        return {};
    return reader.read();
}
