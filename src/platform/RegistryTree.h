#pragma once
// The keys and values of one registry root in memory, and their .reg text
// form ("Windows Registry Editor Version 5.00" sections and value lines).
// Names compare without regard to case; the first spelling is kept.

#include "platform/Registry.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

struct RegistryValue
{
    QString name; // "" for the key's default value
    quint32 type = REG_SZ;
    QString text;     // string types (REG_SZ, REG_EXPAND_SZ)
    QByteArray bytes; // every other type

    bool isString() const { return type == REG_SZ || type == REG_EXPAND_SZ; }
};

class RegistryNode
{
public:
    explicit RegistryNode(QString name) : m_name(std::move(name)) {}

    const QString &name() const { return m_name; }

    // Subkeys in name order (case ignored).
    int childCount() const { return int(m_children.size()); }
    RegistryNode *childAt(int index) const;
    RegistryNode *child(const QString &name) const;
    // The existing subkey of that name, or a new one.
    RegistryNode *addChild(const QString &name);
    // The key at the end of path, or nullptr when one is missing.
    RegistryNode *find(const QStringList &path);

    // Values in the order they were first written.
    const std::vector<RegistryValue> &values() const { return m_values; }
    const RegistryValue *value(const QString &name) const;
    // Replaces the value of the same name in its place, or appends it.
    void setValue(RegistryValue value);
    bool removeValue(const QString &name);

private:
    static QString fold(const QString &name) { return name.toUpper(); }

    QString m_name;
    std::map<QString, std::unique_ptr<RegistryNode>> m_children; // by folded name
    std::vector<RegistryValue> m_values;
};

// Reads the text of a root's file into root. rootName ("HKEY_CURRENT_USER")
// is the only root its sections may name. Returns false, with the reason in
// error, for text that is not a registry file of that root; root is then
// incomplete and must be thrown away.
bool parseRegText(const QByteArray &raw, const QString &rootName, RegistryNode &root,
                  QString *error);

// The file text of a root: every key a section (the root only when it holds
// values), strings quoted with backslash and quote escaped, strings holding
// line breaks or zeros and other types in hex form. UTF-8.
QByteArray regText(const RegistryNode &root, const QString &rootName);

// True for a key or value name the file form can hold.
bool isStorableName(const QString &name);
