#include "about/ui/PageText.h"

#include "about/UpdatePage.h"

#include <QBuffer>
#include <QFont>
#include <QImageReader>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>

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

} // namespace

QString PageLeftOutLine()
{
    return QStringLiteral("The rest of this page was left out: it is too long to show here.");
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
    // A table cut through would keep its cells' later text: it goes whole.
    while (cut > 0 && cursor.currentFrame() != doc.rootFrame()) {
        cut = std::max(0, cursor.currentFrame()->firstPosition() - 1);
        cursor.setPosition(cut);
    }
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cursor.movePosition(QTextCursor::End);
    if (cursor.position() > 0)
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    cursor.insertText(PageLeftOutLine(), QTextCharFormat());
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
    if (plainText)
        doc->setPlainText(text);
    else
        doc->setHtml(text);
    CapPageDocument(*doc);
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
