#include "CliWorkFolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtTest>

QString CliWorkFolder::write(const QString &name, const QByteArray &bytes) const
{
    QFile f(path(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(f.fileName()));
    f.write(bytes);
    return f.fileName();
}

QByteArray CliWorkFolder::contents(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool CliWorkFolder::makeCompilerFolders(QString *missing)
{
    if (!QDir().mkpath(path(QStringLiteral("cc-only"))))
        return false;
    for (const char *tool : { "cc", "as", "ld" }) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(tool));
        if (found.isEmpty()
            || !QFile::link(found, path(QStringLiteral("cc-only/%1").arg(QLatin1String(tool))))) {
            *missing = QLatin1String(tool);
            return false;
        }
    }
    m_tcc = !QStandardPaths::findExecutable(QStringLiteral("tcc")).isEmpty();
    return true;
}

void CliWorkFolder::addCompilerRows() const
{
    QTest::addColumn<QStringList>("environment");
    if (m_tcc)
        QTest::newRow("tcc") << QStringList();
    QTest::newRow("cc") << ccOnly();
}

QStringList CliWorkFolder::ccOnly() const
{
    return { QStringLiteral("PATH=") + path(QStringLiteral("cc-only")) };
}
