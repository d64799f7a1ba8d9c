// The window's icons come from pixels decoded at build time instead of from
// their image files. An icon made from them must show exactly what the file
// shows: at every size a toolbar, menu or window manager asks for, in every
// mode and state, and with the same list of sizes (a window manager takes
// every size of the window icon).

#include "MainWindow.h"
#include "PackedIcons.h"
#include "PackedImage.h"

#include <QAction>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QSet>
#include <QToolBar>
#include <QtTest>

class TestPackedIcons : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void everyPackedIconShowsItsFilesPixels();
    void pixmapsShowThePackedPixelsUnchanged();
    void unknownNameGivesNullIcon();
    void windowUsesThePackedIcons();

private:
    static QString fileOf(const QString &name);
    static void compareIcons(const QIcon &packed, const QIcon &file, const QString &name);
};

QString TestPackedIcons::fileOf(const QString &name)
{
    const QString base = QStringLiteral(":/Images/Images/") + name;
    return QFile::exists(base + QStringLiteral(".png")) ? base + QStringLiteral(".png") : base + QStringLiteral(".ico");
}

void TestPackedIcons::compareIcons(const QIcon &packed, const QIcon &file, const QString &name)
{
    QVERIFY2(!packed.isNull(), qPrintable(name));
    const QIcon::Mode modes[] = {QIcon::Normal, QIcon::Disabled, QIcon::Active, QIcon::Selected};
    for (QIcon::Mode mode : modes) {
        for (QIcon::State state : {QIcon::Off, QIcon::On}) {
            QCOMPARE(packed.availableSizes(mode, state), file.availableSizes(mode, state));
            for (int size : {8, 16, 20, 22, 24, 32, 40, 48, 64, 96, 256}) {
                const QString what = QStringLiteral("%1 at %2, mode %3, state %4").arg(name).arg(size).arg(mode).arg(state);
                QCOMPARE(packed.actualSize(QSize(size, size), mode, state), file.actualSize(QSize(size, size), mode, state));
                const QImage shown = packed.pixmap(size, mode, state).toImage();
                const QImage expected = file.pixmap(size, mode, state).toImage();
                QVERIFY2(shown == expected, qPrintable(what));
            }
        }
    }
}

void TestPackedIcons::everyPackedIconShowsItsFilesPixels()
{
    QSet<QString> names;
    for (int i = 0; i < kPackedImageCount; ++i)
        names.insert(QString::fromLatin1(kPackedImages[i].name));
    QVERIFY(names.contains(QStringLiteral("app_icon")));
    QVERIFY(names.size() >= 20);
    for (const QString &name : qAsConst(names)) {
        const QString path = fileOf(name);
        QVERIFY2(QFile::exists(path), qPrintable(path));
        compareIcons(PackedIcons::icon(name), QIcon(path), name);
    }
    // The application icon keeps all four of its sizes.
    QCOMPARE(PackedIcons::icon(QStringLiteral("app_icon")).availableSizes().size(), 4);
}

void TestPackedIcons::pixmapsShowThePackedPixelsUnchanged()
{
    // Every packed image, at its own size, becomes a pixmap of exactly its
    // pixels: no colour or transparency is lost on the way to the screen.
    // (How fast the icons are made at start is bench_startup's figure.)
    for (int i = 0; i < kPackedImageCount; ++i) {
        const PackedImage &packed = kPackedImages[i];
        const QImage image(packed.bits, packed.width, packed.height, packed.bytesPerLine,
                           QImage::Format(packed.format));
        const QImage shown = QPixmap::fromImage(image).toImage();
        QCOMPARE(shown.size(), image.size());
        QVERIFY2(shown.convertToFormat(QImage::Format_ARGB32) == image.convertToFormat(QImage::Format_ARGB32),
                 packed.name);
    }
}

void TestPackedIcons::unknownNameGivesNullIcon()
{
    QVERIFY(PackedIcons::icon(QStringLiteral("no_such_image")).isNull());
    // Names match whole: a prefix of a packed name is no name.
    QVERIFY(PackedIcons::icon(QStringLiteral("app")).isNull());
}

void TestPackedIcons::windowUsesThePackedIcons()
{
    MainWindow w;
    compareIcons(w.windowIcon(), QIcon(fileOf(QStringLiteral("app_icon"))), QStringLiteral("window icon"));
    // The toolbar draws disabled actions at its icon size; the state and
    // self-transition tools are disabled without a project.
    // A name the build did not pack gives a null icon: the toolbar would
    // show the action's text instead.
    const QToolBar *toolBar = w.findChild<QToolBar *>(QStringLiteral("mainToolBar"));
    QVERIFY(toolBar);
    for (QAction *action : toolBar->actions()) {
        if (!action->isSeparator())
            QVERIFY2(!action->icon().isNull(), qPrintable(action->objectName()));
    }
    for (const char *action : {"actionBringToFront", "actionSendToBack", "actionDelete", "actionSelf_transition"})
        QVERIFY2(!w.findChild<QAction *>(action)->icon().isNull(), action);
    for (QAction *properties : w.propertiesActions())
        QVERIFY(!properties->icon().isNull());
    for (const char *action : {"actionState", "actionSelf_transition", "actionzoom_in"}) {
        const QIcon icon = w.findChild<QAction *>(action)->icon();
        QVERIFY(!icon.isNull());
        QVERIFY(icon.pixmap(24, QIcon::Disabled).toImage().size() == QSize(24, 24));
    }
}

QTEST_MAIN(TestPackedIcons)
#include "tst_packedicons.moc"
