#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary plug-in folder to copy the test plug-ins (probes) into, the log
// the probes write their calls to, and a view of which of the folder's
// libraries the process has mapped right now.
class PluginFixture
{
public:
    struct Event
    {
        QString probe;
        QString event;
        QString value;
    };

    PluginFixture();
    ~PluginFixture();
    PluginFixture(const PluginFixture&) = delete;
    PluginFixture& operator=(const PluginFixture&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    // The plug-in folder, with its trailing separator.
    QString folder() const { return m_folder; }

    // Copies the built probe <id>.so into the folder (as <id>.so unless named
    // otherwise) and returns its full path.
    QString install(const QString& id, const QString& fileName = {}) const;
    QString installBytes(const QString& fileName, const QByteArray& bytes) const;
    // A copy of a probe cut to its first `length` bytes.
    QString installTruncated(const QString& id, const QString& fileName, qint64 length) const;
    // A copy of a probe that claims to be built for another machine.
    QString installForeignMachine(const QString& id, const QString& fileName) const;
    // Installs the probes under names chosen so that the directory listing
    // returns them in exactly this order, while sorting by name would give the
    // reverse order. Returns their paths in that order, empty on failure.
    QStringList installInListingOrder(const QStringList& ids) const;

    static QByteArray probeBytes(const QString& id);

    // The file names of the folder in the order readdir returns them.
    QStringList listingOrder() const;

    // The calls the probes logged, optionally only those of one probe.
    QList<Event> events(const QString& probe = {}) const;
    // The values of one event of one probe, in order.
    QStringList values(const QString& probe, const QString& event) const;
    void clearLog() const;

    // Mapped files of the process that lie in the plug-in folder.
    QStringList loadedLibraries() const;

private:
    QTemporaryDir m_dir;
    QString m_folder;
    QString m_log;
};

// "%x" of a pointer, as the probes log it.
QString pointerText(const void* pointer);
