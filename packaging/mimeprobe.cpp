// Prints the file type the shared-mime-info database gives each file, as a
// Qt program would see it: "<type> <icon name>" on one line per file. With
// --name only the file's name is looked at, with --content only its content;
// by default the name is tried first and the content when that is not enough.
// The packaging check points XDG_DATA_DIRS at an installed tree to test the
// type registration that the package ships.

#include <QCoreApplication>
#include <QMimeDatabase>
#include <QStringList>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList paths = QCoreApplication::arguments().mid(1);
    const bool byName = paths.removeAll(QStringLiteral("--name")) > 0;
    const bool byContent = paths.removeAll(QStringLiteral("--content")) > 0;
    const QMimeDatabase::MatchMode mode = byName ? QMimeDatabase::MatchExtension
                                        : byContent ? QMimeDatabase::MatchContent
                                                    : QMimeDatabase::MatchDefault;
    if (paths.isEmpty() || (byName && byContent)) {
        QTextStream(stderr) << "usage: kestro-mimeprobe [--name | --content] FILE...\n";
        return 2;
    }

    QMimeDatabase database;
    QTextStream out(stdout);
    for (const QString &path : paths) {
        const QMimeType type = database.mimeTypeForFile(path, mode);
        out << type.name() << ' ' << type.iconName() << '\n';
    }
    return 0;
}
