// Prints the file type the shared-mime-info database gives each file, as a
// Qt program would see it: "<type> <icon name>" on one line per file. With
// --content the file's name is ignored and only its content is examined.
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
    const bool contentOnly = paths.removeAll(QStringLiteral("--content")) > 0;
    if (paths.isEmpty()) {
        QTextStream(stderr) << "usage: kestro-mimeprobe [--content] FILE...\n";
        return 2;
    }

    QMimeDatabase database;
    QTextStream out(stdout);
    for (const QString &path : paths) {
        const QMimeType type = database.mimeTypeForFile(
            path, contentOnly ? QMimeDatabase::MatchContent : QMimeDatabase::MatchDefault);
        out << type.name() << ' ' << type.iconName() << '\n';
    }
    return 0;
}
