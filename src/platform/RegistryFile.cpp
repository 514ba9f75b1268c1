#include "platform/RegistryFile.h"

#include "platform/Prompts.h"
#include "platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <sys/stat.h>

namespace {

RegistryFile::Stamp stampOf(const QString &path)
{
    RegistryFile::Stamp s;
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return s;
    s.exists = true;
    s.device = quint64(st.st_dev);
    s.inode = quint64(st.st_ino);
    s.size = qint64(st.st_size);
    s.seconds = qint64(st.st_mtim.tv_sec);
    s.nanoseconds = qint64(st.st_mtim.tv_nsec);
    return s;
}

// The first free name beside path ending in ".damaged".
QString asideName(const QString &path)
{
    QString name = path + QStringLiteral(".damaged");
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = path + QStringLiteral(".%1.damaged").arg(n);
    return name;
}

} // namespace

RegistryFile::RegistryFile(qint32 root) : m_root(root) {}

RegistryFile::~RegistryFile() = default;

RegistryNode &RegistryFile::tree()
{
    const QString path = RegistryStore::fileFor(m_root);
    const Stamp stamp = stampOf(path);
    if (!m_tree || path != m_path || stamp != m_stamp)
        load(path, stamp);
    return *m_tree;
}

void RegistryFile::load(const QString &path, const Stamp &stamp)
{
    m_path = path;
    m_stamp = stamp;
    m_blocked = false;
    m_tree = std::make_unique<RegistryNode>(RegistryStore::rootName(m_root));
    if (!stamp.exists)
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setAside(path, file.errorString(), false);
        return;
    }
    const QByteArray raw = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setAside(path, file.errorString(), false);
        return;
    }
    QString reason;
    if (!parseRegText(raw, RegistryStore::rootName(m_root), *m_tree, &reason)) {
        m_tree = std::make_unique<RegistryNode>(RegistryStore::rootName(m_root));
        setAside(path, reason, true);
    }
}

void RegistryFile::setAside(const QString &path, const QString &reason, bool move)
{
    // The keys start empty; what the file held is kept for the user, never
    // overwritten: moved aside when it was read but not understood, left in
    // place (and not written) when it could not be read at all. The user is
    // told once either way: a file moved aside is not read again, and a file
    // left in place is read again only when it changes, since nothing saves
    // over it.
    const QString aside = asideName(path);
    const bool moved = move && RegistryStore::mayWrite(m_root) && QFile::rename(path, aside);
    if (moved)
        m_stamp = stampOf(path);
    else
        m_blocked = true;
    const QString what = QStringLiteral("The registry file ") + path +
                         QStringLiteral(" could not be read (") + reason + QStringLiteral(").");
    const QString outcome = moved ? QStringLiteral("It has been kept as ") + aside +
                                        QStringLiteral(" and a new one is started.")
                                  : QStringLiteral("It is left as it is and nothing will be "
                                                   "written to it.");
    const QString text = what + QStringLiteral("\r\n") + outcome;
    appPrompts().MsgBox(text, MsgButtons::OkOnly, MsgIcon::Exclamation);
}

bool RegistryFile::writable() const
{
    // As of the last tree(): reading again here could swap the keys under a
    // caller that holds one of them.
    return !m_blocked && RegistryStore::mayWrite(m_root);
}

qint32 RegistryFile::save()
{
    // Callers have checked writable() before changing the keys.
    const QByteArray text = regText(*m_tree, RegistryStore::rootName(m_root));
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit()) {
        m_stamp = stampOf(m_path);
        return ERROR_SUCCESS;
    }
    const int cause = errno;
    m_tree.reset(); // the change was not kept: read the file again
    return cause == EACCES || cause == EPERM || cause == EROFS ? ERROR_ACCESS_DENIED
                                                               : ERROR_REGISTRY_IO_FAILED;
}
