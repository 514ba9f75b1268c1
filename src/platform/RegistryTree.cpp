// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RegistryTree.h"

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
    const auto it = m_children.find(name);
    return it == m_children.end() ? nullptr : it->second.get();
}

RegistryNode *RegistryNode::addChild(const QString &name)
{
    auto &slot = m_children[name];
    if (!slot)
        slot = std::make_unique<RegistryNode>(name);
    return slot.get();
}

bool RegistryNode::removeChild(const QString &name)
{
    return m_children.erase(name) > 0;
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
        if (sameRegName(v.name, name))
            return &v;
    }
    return nullptr;
}

void RegistryNode::setValue(RegistryValue value)
{
    for (RegistryValue &v : m_values) {
        if (sameRegName(v.name, value.name)) {
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
        if (sameRegName(it->name, name)) {
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
