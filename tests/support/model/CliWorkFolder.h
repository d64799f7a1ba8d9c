#pragma once

// The temporary folder of a suite that runs kestro-cli on files: files
// written into it and read back, and a PATH folder ("cc-only") with the
// system's C compiler and its tools but no tcc, so a case can run with
// either compiler.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class CliWorkFolder
{
public:
    bool isValid() const { return m_dir.isValid(); }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString root() const { return m_dir.path(); }
    // Writes `bytes` to `name` in the folder (fatal when it cannot) and
    // returns the file's path.
    QString write(const QString &name, const QByteArray &bytes) const;
    // A file's bytes, or "<missing>".
    static QByteArray contents(const QString &file);

    // Makes "cc-only"; false, naming the tool, when the system lacks one.
    bool makeCompilerFolders(QString *missing);
    // The column "environment" with a row per compiler: tcc (where it is
    // installed) and cc.
    void addCompilerRows() const;
    bool hasTcc() const { return m_tcc; }
    // The environment that leaves only the system's compiler.
    QStringList ccOnly() const;

private:
    QTemporaryDir m_dir;
    bool m_tcc = false;
};
