#include "platform/RegistryTree.h"

#include <QStringDecoder>
#include <QtEndian>

namespace {

const QString kHeader5 = QStringLiteral("Windows Registry Editor Version 5.00");
const QString kHeader4 = QStringLiteral("REGEDIT4");

bool fail(QString *error, const QString &reason, int line)
{
    if (error)
        *error = QStringLiteral("line %1: %2").arg(line).arg(reason);
    return false;
}

// Reads a quoted text starting at pos (on the opening quote), with "\\" and
// "\"" as the only escapes; pos ends after the closing quote.
bool readQuoted(const QString &s, qsizetype &pos, QString &out)
{
    out.clear();
    if (pos >= s.size() || s[pos] != QLatin1Char('"'))
        return false;
    ++pos;
    while (pos < s.size()) {
        const QChar c = s[pos];
        if (c == QLatin1Char('\\')) {
            if (pos + 1 >= s.size())
                return false;
            const QChar next = s[pos + 1];
            if (next != QLatin1Char('\\') && next != QLatin1Char('"'))
                return false;
            out += next;
            pos += 2;
        } else if (c == QLatin1Char('"')) {
            ++pos;
            return true;
        } else {
            out += c;
            ++pos;
        }
    }
    return false;
}

QString quoted(const QString &s)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : s) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('"');
}

bool parseHexBytes(const QString &list, QByteArray &out)
{
    out.clear();
    const QString trimmed = list.trimmed();
    if (trimmed.isEmpty())
        return true;
    for (const QString &part : trimmed.split(QLatin1Char(','))) {
        const QString b = part.trimmed();
        bool ok = false;
        const uint v = b.toUInt(&ok, 16);
        if (!ok || b.size() > 2 || v > 0xFF)
            return false;
        out.append(char(v));
    }
    return true;
}

QString stringFromBytes(const QByteArray &bytes, bool unicode)
{
    QString s;
    if (unicode) {
        s.resize(bytes.size() / 2);
        for (qsizetype i = 0; i < s.size(); ++i)
            s[i] = QChar(qFromLittleEndian<quint16>(bytes.constData() + 2 * i));
    } else {
        s = QString::fromLatin1(bytes);
    }
    if (s.endsWith(QChar(0)))
        s.chop(1);
    return s;
}

QByteArray utf16Bytes(const QString &s)
{
    QByteArray out;
    out.reserve((s.size() + 1) * 2);
    for (const QChar c : s) {
        out.append(char(c.unicode() & 0xFF));
        out.append(char(c.unicode() >> 8));
    }
    out.append('\0');
    out.append('\0');
    return out;
}

QString hexForm(const QString &prefix, const QByteArray &bytes)
{
    // Continued lines as regedit writes them, so that lines stay short.
    QString out = prefix;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            out += QLatin1Char(',');
            if (i % 25 == 0)
                out += QStringLiteral("\\\n  ");
        }
        out += QStringLiteral("%1").arg(uint(quint8(bytes[i])), 2, 16, QLatin1Char('0'));
    }
    return out;
}

QString valueLine(const RegistryValue &v)
{
    const QString name = v.name.isEmpty() ? QStringLiteral("@") : quoted(v.name);
    if (v.isString()) {
        const bool plain = v.type == REG_SZ && !v.text.contains(QChar(0)) &&
                           !v.text.contains(QLatin1Char('\n')) &&
                           !v.text.contains(QLatin1Char('\r'));
        if (plain)
            return name + QLatin1Char('=') + quoted(v.text);
        return name + QStringLiteral("=") +
               hexForm(QStringLiteral("hex(%1):").arg(v.type, 0, 16), utf16Bytes(v.text));
    }
    if (v.type == REG_DWORD && v.bytes.size() == 4)
        return name + QStringLiteral("=dword:") +
               QStringLiteral("%1").arg(qFromLittleEndian<quint32>(v.bytes.constData()), 8, 16,
                                        QLatin1Char('0'));
    if (v.type == REG_BINARY)
        return name + QLatin1Char('=') + hexForm(QStringLiteral("hex:"), v.bytes);
    return name + QLatin1Char('=') +
           hexForm(QStringLiteral("hex(%1):").arg(v.type, 0, 16), v.bytes);
}

void writeKey(const RegistryNode &node, const QString &path, bool isRoot, QString &out)
{
    if (!isRoot || !node.values().empty()) {
        out += QStringLiteral("\n[") + path + QStringLiteral("]\n");
        for (const RegistryValue &v : node.values())
            out += valueLine(v) + QLatin1Char('\n');
    }
    for (int i = 0; i < node.childCount(); ++i) {
        const RegistryNode *child = node.childAt(i);
        writeKey(*child, path + QLatin1Char('\\') + child->name(), false, out);
    }
}

} // namespace

RegistryNode *RegistryNode::childAt(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    auto it = m_children.begin();
    std::advance(it, index);
    return it->second.get();
}

RegistryNode *RegistryNode::child(const QString &name) const
{
    const auto it = m_children.find(fold(name));
    return it == m_children.end() ? nullptr : it->second.get();
}

RegistryNode *RegistryNode::addChild(const QString &name)
{
    auto &slot = m_children[fold(name)];
    if (!slot)
        slot = std::make_unique<RegistryNode>(name);
    return slot.get();
}

RegistryNode *RegistryNode::find(const QStringList &path)
{
    RegistryNode *node = this;
    for (const QString &part : path) {
        node = node->child(part);
        if (!node)
            return nullptr;
    }
    return node;
}

const RegistryValue *RegistryNode::value(const QString &name) const
{
    for (const RegistryValue &v : m_values) {
        if (v.name.compare(name, Qt::CaseInsensitive) == 0)
            return &v;
    }
    return nullptr;
}

void RegistryNode::setValue(RegistryValue value)
{
    for (RegistryValue &v : m_values) {
        if (v.name.compare(value.name, Qt::CaseInsensitive) == 0) {
            value.name = v.name; // the first spelling stays
            v = std::move(value);
            return;
        }
    }
    m_values.push_back(std::move(value));
}

bool RegistryNode::removeValue(const QString &name)
{
    for (auto it = m_values.begin(); it != m_values.end(); ++it) {
        if (it->name.compare(name, Qt::CaseInsensitive) == 0) {
            m_values.erase(it);
            return true;
        }
    }
    return false;
}

bool isStorableName(const QString &name)
{
    return !name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r')) &&
           !name.contains(QChar(0));
}

bool parseRegText(const QByteArray &raw, const QString &rootName, RegistryNode &root,
                  QString *error)
{
    QString text;
    if (raw.startsWith("\xFF\xFE")) {
        if (raw.size() % 2 != 0)
            return fail(error, QStringLiteral("odd number of bytes in UTF-16 text"), 0);
        text = stringFromBytes(raw.mid(2), true);
    } else {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = decoder(raw.startsWith("\xEF\xBB\xBF") ? raw.mid(3) : raw);
        if (decoder.hasError())
            return fail(error, QStringLiteral("the text is not UTF-8"), 0);
    }

    const QStringList lines = text.split(QLatin1Char('\n'));
    bool headerSeen = false;
    bool unicode = true;
    RegistryNode *current = nullptr;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNo = int(i + 1);
        const QString line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        if (!headerSeen) {
            if (line == kHeader5)
                unicode = true;
            else if (line == kHeader4)
                unicode = false;
            else
                return fail(error, QStringLiteral("no registry file header"), lineNo);
            headerSeen = true;
            continue;
        }
        if (line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')) || line.size() < 3)
                return fail(error, QStringLiteral("unfinished key name"), lineNo);
            QStringList parts = line.mid(1, line.size() - 2).split(QLatin1Char('\\'));
            if (parts.first().compare(rootName, Qt::CaseInsensitive) != 0)
                return fail(error, QStringLiteral("a key outside ") + rootName, lineNo);
            parts.removeFirst();
            if (!parts.isEmpty() && parts.last().isEmpty())
                parts.removeLast();
            current = &root;
            for (const QString &part : parts) {
                if (part.isEmpty())
                    return fail(error, QStringLiteral("an empty key name"), lineNo);
                current = current->addChild(part);
            }
            continue;
        }
        if (!current)
            return fail(error, QStringLiteral("a value outside any key"), lineNo);

        RegistryValue value;
        qsizetype pos = 0;
        if (line.startsWith(QLatin1Char('@'))) {
            pos = 1;
        } else if (!readQuoted(line, pos, value.name)) {
            return fail(error, QStringLiteral("a value name that cannot be read"), lineNo);
        }
        QString rest = line.mid(pos).trimmed();
        if (!rest.startsWith(QLatin1Char('=')))
            return fail(error, QStringLiteral("no '=' after the value name"), lineNo);
        rest = rest.mid(1).trimmed();

        if (rest.startsWith(QLatin1Char('"'))) {
            qsizetype p = 0;
            if (!readQuoted(rest, p, value.text) || !rest.mid(p).trimmed().isEmpty())
                return fail(error, QStringLiteral("a text value that cannot be read"), lineNo);
            value.type = REG_SZ;
        } else if (rest.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            const QString digits = rest.mid(6).trimmed();
            bool ok = false;
            const quint32 n = digits.toUInt(&ok, 16);
            if (!ok || digits.size() > 8)
                return fail(error, QStringLiteral("a dword value that cannot be read"), lineNo);
            value.type = REG_DWORD;
            value.bytes.resize(4);
            qToLittleEndian(n, value.bytes.data());
        } else if (rest.startsWith(QLatin1String("hex"), Qt::CaseInsensitive)) {
            // "hex:" is binary; "hex(n):" names the type n in hexadecimal.
            const qsizetype colon = rest.indexOf(QLatin1Char(':'));
            const QString kind = colon < 0 ? QString() : rest.left(colon).mid(3);
            bool ok = colon >= 0;
            quint32 type = REG_BINARY;
            if (ok && !kind.isEmpty()) {
                ok = kind.size() >= 3 && kind.startsWith(QLatin1Char('(')) &&
                     kind.endsWith(QLatin1Char(')'));
                if (ok)
                    type = kind.mid(1, kind.size() - 2).toUInt(&ok, 16);
            }
            if (!ok)
                return fail(error, QStringLiteral("a hex value type that cannot be read"), lineNo);
            QString list = rest.mid(colon + 1).trimmed();
            while (list.endsWith(QLatin1Char('\\'))) {
                list.chop(1);
                if (++i >= lines.size())
                    return fail(error, QStringLiteral("an unfinished hex value"), lineNo);
                list += lines[i].trimmed();
            }
            QByteArray bytes;
            if (!parseHexBytes(list, bytes))
                return fail(error, QStringLiteral("hex bytes that cannot be read"), lineNo);
            value.type = type;
            if (value.isString()) {
                if (unicode && bytes.size() % 2 != 0)
                    return fail(error, QStringLiteral("an odd number of bytes in a text"), lineNo);
                value.text = stringFromBytes(bytes, unicode);
            } else {
                value.bytes = bytes;
            }
        } else {
            return fail(error, QStringLiteral("a value that cannot be read"), lineNo);
        }
        current->setValue(std::move(value));
    }
    return true;
}

QByteArray regText(const RegistryNode &root, const QString &rootName)
{
    QString out = kHeader5 + QLatin1Char('\n');
    writeKey(root, rootName, true, out);
    return out.toUtf8();
}
