#include "PluginFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <dirent.h>
#include <elf.h>
#include <fstream>
#include <string>

PluginFixture::PluginFixture()
{
    // The canonical path, so it matches what /proc/self/maps shows.
    const QString root = QFileInfo(m_dir.path()).canonicalFilePath();
    QDir(root).mkdir(QStringLiteral("Plugins"));
    m_folder = root + QStringLiteral("/Plugins/");
    m_log = root + QStringLiteral("/probe.log");
    qputenv("ORVANTA_PROBE_LOG", QFile::encodeName(m_log));
}

PluginFixture::~PluginFixture()
{
    qunsetenv("ORVANTA_PROBE_LOG");
}

QByteArray PluginFixture::probeBytes(const QString& id)
{
    QFile probe(QStringLiteral(PROBE_DIR "/") + id + QStringLiteral(".so"));
    if (!probe.open(QIODevice::ReadOnly))
        qFatal("test plug-in %s is not built", qPrintable(id));
    return probe.readAll();
}

QString PluginFixture::install(const QString& id, const QString& fileName) const
{
    return installBytes(fileName.isEmpty() ? id + QStringLiteral(".so") : fileName, probeBytes(id));
}

QString PluginFixture::installBytes(const QString& fileName, const QByteArray& bytes) const
{
    const QString path = m_folder + fileName;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString PluginFixture::installTruncated(const QString& id, const QString& fileName, qint64 length) const
{
    return installBytes(fileName, probeBytes(id).left(length));
}

QString PluginFixture::installForeignMachine(const QString& id, const QString& fileName) const
{
    QByteArray bytes = probeBytes(id);
    // e_machine sits at the same offset in both ELF classes; little-endian
    // hosts only, as are all the machines this runs on.
#if defined(__aarch64__)
    const quint16 machine = EM_X86_64;
#else
    const quint16 machine = EM_AARCH64;
#endif
    bytes[offsetof(Elf64_Ehdr, e_machine)] = char(machine & 0xff);
    bytes[offsetof(Elf64_Ehdr, e_machine) + 1] = char(machine >> 8);
    return installBytes(fileName, bytes);
}

QStringList PluginFixture::installInListingOrder(const QStringList& ids) const
{
    const int count = int(ids.size());
    for (int attempt = 0; attempt < 500; ++attempt) {
        QStringList names;
        QStringList paths;
        for (int i = 0; i < count; ++i) {
            // Leading letters run backwards, so sorted order is the reverse.
            names.append(
                QStringLiteral("%1-%2-%3.so").arg(QChar(u'a' + count - 1 - i)).arg(ids.at(i)).arg(attempt));
            paths.append(install(ids.at(i), names.last()));
        }
        QStringList listed;
        const QSet<QString> wanted(names.cbegin(), names.cend());
        for (const QString& name : listingOrder()) {
            if (wanted.contains(name))
                listed.append(name);
        }
        if (listed == names)
            return paths;
        for (const QString& path : paths)
            QFile::remove(path);
    }
    return {};
}

QStringList PluginFixture::listingOrder() const
{
    QStringList names;
    DIR* dir = opendir(QFile::encodeName(m_folder).constData());
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            names.append(name);
    }
    closedir(dir);
    return names;
}

QList<PluginFixture::Event> PluginFixture::events(const QString& probe) const
{
    QList<Event> result;
    QFile log(m_log);
    if (!log.open(QIODevice::ReadOnly))
        return result;
    for (const QByteArray& line : log.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 3)
            continue;
        Event event { QString::fromUtf8(fields[0]), QString::fromUtf8(fields[1]),
                      QString::fromUtf8(fields[2]) };
        if (probe.isEmpty() || event.probe == probe)
            result.append(event);
    }
    return result;
}

QStringList PluginFixture::values(const QString& probe, const QString& event) const
{
    QStringList result;
    for (const Event& e : events(probe)) {
        if (e.event == event)
            result.append(e.value);
    }
    return result;
}

void PluginFixture::clearLog() const
{
    QFile::remove(m_log);
}

QStringList PluginFixture::loadedLibraries() const
{
    QStringList result;
    std::ifstream maps("/proc/self/maps");
    const std::string folder = QFile::encodeName(m_folder).toStdString();
    for (std::string line; std::getline(maps, line);) {
        if (line.find(folder) != std::string::npos)
            result.append(QString::fromStdString(line));
    }
    return result;
}

QString pointerText(const void* pointer)
{
    return QString::number(reinterpret_cast<quintptr>(pointer), 16);
}
