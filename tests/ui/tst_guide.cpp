#include "Eula.h"
#include "HomeScreen.h"
#include "TourBox.h"
#include "TourPlacement.h"
#include "TourSteps.h"
#include "TourText.h"
#include "TourTip.h"

#include <QGraphicsView>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>
#include <QtTest>

// The home screen, the widgets and step rules of the app tour, and the
// agreement viewer.
class TestGuide : public QObject
{
    Q_OBJECT

private:
    // Bounding box of the pixels that differ from the top-left one.
    static QRect inkBox(const QImage &image)
    {
        const QRgb background = image.pixel(0, 0);
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != background)
                    box |= QRect(x, y, 1, 1);
        return box;
    }

    static QImage grabHome(const QSize &size)
    {
        QGraphicsView view(HomeScreen::instance());
        view.setFrameStyle(QFrame::NoFrame);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.resize(size);
        view.show();
        return view.viewport()->grab().toImage();
    }

    // Runs the step rule over a sample project that lacks the given steps'
    // elements; returns the steps shown, in order, and checks tourStep.
    static QList<int> walk(const QSet<int> &missing, QList<int> *tourSteps = nullptr)
    {
        QList<int> shown;
        int tourStep = 0;
        for (int click = 0; click < 20; ++click) {
            const TourSteps::Advance a = TourSteps::advance(tourStep, [&](int step) {
                return !missing.contains(step);
            });
            tourStep = a.nextTourStep;
            if (tourSteps)
                tourSteps->append(tourStep);
            if (a.ends())
                break;
            shown.append(a.step);
        }
        return shown;
    }

private slots:
    void stepTable()
    {
        QCOMPARE(TourSteps::StepCount, 9);
        QCOMPARE(TourSteps::title(0), QStringLiteral("Project Browser"));
        QCOMPARE(TourSteps::title(7), QStringLiteral("Text Item"));
        QCOMPARE(TourSteps::title(8), QStringLiteral("Code generation"));
        QVERIFY(TourSteps::text(0).startsWith(QStringLiteral("Projects follow a fixed hierarchy up to level 3 \u2014 ")));
        // The last step says where the introduction is, as no link is shown.
        QVERIFY(TourSteps::text(8).endsWith(QStringLiteral("see Help > Getting started.")));
        for (int i = 0; i < TourSteps::StepCount; ++i) {
            QVERIFY(!TourSteps::title(i).isEmpty() && !TourSteps::text(i).isEmpty());
            for (const char *typo : {"can can", "definining", "checkout"})
                QVERIFY2(!TourSteps::text(i).contains(QLatin1String(typo)), typo);
        }
        QVERIFY(TourSteps::title(9).isEmpty() && TourSteps::title(-1).isEmpty());
        QCOMPARE(TourSteps::diagramIndex(TourSteps::LinkItemStep), 2);
        QCOMPARE(TourSteps::diagramIndex(TourSteps::InitialStateStep), 4);
        QCOMPARE(TourSteps::diagramIndex(TourSteps::TextItemStep), 4);
        QCOMPARE(TourSteps::diagramIndex(TourSteps::ProcessItemStep), -1);
        QCOMPARE(TourSteps::diagramIndex(TourSteps::CodeGenerationStep), -1);
    }

    void fullTourShowsEveryStepThenEnds()
    {
        QList<int> tourSteps;
        QCOMPARE(walk({}, &tourSteps), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
        // Next on the Text Item step leads to Code generation (tourStep 8 -> 9),
        // the next Next ends the tour and resets tourStep.
        QCOMPARE(tourSteps, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0}));
    }

    void missingElementsFallThrough()
    {
        // No memory item: Next on the Transition step goes straight to Text.
        QList<int> tourSteps;
        QCOMPARE(walk({TourSteps::MemoryItemStep}, &tourSteps), (QList<int>{0, 1, 2, 3, 4, 5, 7, 8}));
        // The click on Next on the Transition step shows Text and sets
        // tourStep to 8 (one before the end, which follows Code generation).
        QCOMPARE(tourSteps.at(5), 6);
        QCOMPARE(tourSteps.at(6), 8);
        QCOMPARE(tourSteps.at(7), 9);

        QCOMPARE(walk({TourSteps::InitialStateStep, TourSteps::StateStep}), (QList<int>{0, 1, 2, 5, 6, 7, 8}));
        // No text item: the tour goes on with Code generation.
        QCOMPARE(walk({TourSteps::TextItemStep}), (QList<int>{0, 1, 2, 3, 4, 5, 6, 8}));
        // Nothing found any more: the click that finds nothing ends the tour.
        QList<int> ends;
        QCOMPARE(walk({3, 4, 5, 6, 7, 8}, &ends), (QList<int>{0, 1, 2}));
        QCOMPARE(ends.last(), 0);
    }

    void advanceAsksInStepOrderOncePerStep()
    {
        QList<int> asked;
        const TourSteps::Advance a = TourSteps::advance(3, [&](int step) {
            asked << step;
            return step == 6;
        });
        QCOMPARE(asked, (QList<int>{3, 4, 5, 6}));
        QCOMPARE(a.step, 6);
        QCOMPARE(a.nextTourStep, 7);
        QVERIFY(!a.ends());

        asked.clear();
        const auto ask = [&](int step) {
            asked << step;
            return true;
        };
        QVERIFY(TourSteps::advance(9, ask).ends());
        QVERIFY(TourSteps::advance(-1, ask).ends());
        QVERIFY(asked.isEmpty());
        QCOMPARE(TourSteps::advance(9, ask).nextTourStep, 0);
    }

    void sampleProjectLookup()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(TourSteps::findSampleProject(dir.path()).isEmpty());   // no Examples
        QVERIFY(QDir(dir.path()).mkdir("Examples"));
        QVERIFY(TourSteps::findSampleProject(dir.path()).isEmpty());   // empty Examples
        QVERIFY(QDir(dir.path()).mkdir("Examples/Example_1.qsmd"));
        QVERIFY(TourSteps::findSampleProject(dir.path()).isEmpty());   // a folder of that name
        QVERIFY(QDir(dir.path()).rmdir("Examples/Example_1.qsmd"));
        QFile other(dir.filePath("Examples/Other.qsmd"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();
        QVERIFY(TourSteps::findSampleProject(dir.path()).isEmpty());   // no Example_1.qsmd
        QFile sample(dir.filePath("Examples/Example_1.qsmd"));
        QVERIFY(sample.open(QIODevice::WriteOnly));
        sample.close();
        const QString found = TourSteps::findSampleProject(dir.path());
        QCOMPARE(found, QFileInfo(sample).absoluteFilePath());
        QVERIFY(QFileInfo(found).isAbsolute());
    }

    void footerLinksIgnoreCase()
    {
        TourText text;
        QSignalSpy next(&text, &TourText::nextLinkClicked);
        QSignalSpy quit(&text, &TourText::quitLinkClicked);
        for (const char *link : {"next", "NEXT", "Next"})
            text.footerLinkClicked(QUrl(link));
        for (const char *link : {"quit", "QuIt"})
            text.footerLinkClicked(QUrl(link));
        for (const char *link : {"nextstep", "", "https://orvanta.com", "quit2"})
            text.footerLinkClicked(QUrl(link));
        QCOMPARE(next.count(), 3);
        QCOMPARE(quit.count(), 2);

        // A click on a link reaches the slot and does not navigate away.
        text.setContent("Title", "Body");
        emit text.anchorClicked(QUrl("next"));
        QCOMPARE(next.count(), 4);
        QVERIFY(text.toPlainText().contains("Body"));
    }

    void textContentAndLook()
    {
        TourText text;
        text.setContent("Link Item", "Links are used");
        QTextDocument *doc = text.document();
        const QString plain = text.toPlainText();
        QVERIFY(plain.startsWith("Link Item"));
        QVERIFY(plain.contains("Links are used"));
        const QTextBlock last = doc->lastBlock();
        QVERIFY(last.text().startsWith("Quit Tour?"));
        QVERIFY(last.text().endsWith("Next"));
        QCOMPARE(last.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QVERIFY(!(doc->firstBlock().blockFormat().alignment() & Qt::AlignHCenter));
        const QString html = text.toHtml();
        QVERIFY(html.contains("href=\"quit\"") && html.contains("href=\"next\""));
        QVERIFY(html.contains("#ffffff"));

        // Clearing: a second step replaces the first.
        text.setContent("Memory Item", "Globals");
        QVERIFY(!text.toPlainText().contains("Link Item"));

        const QColor green(38, 166, 91);
        QCOMPARE(TourText::tourColour(), green);
        QCOMPARE(text.palette().color(QPalette::Active, QPalette::Base), green);
        QCOMPARE(text.palette().color(QPalette::Inactive, QPalette::Base), green);
        QVERIFY(text.autoFillBackground());
        QVERIFY(text.isReadOnly());
        QVERIFY(!text.openLinks());
        QCOMPARE(text.frameShape(), QFrame::NoFrame);
    }

    void tipGeometryAndColour()
    {
        QCOMPARE(TourTip::triangle(), QPolygon({QPoint(0, 25), QPoint(11, 14), QPoint(11, 35)}));
        TourTip tip;
        QCOMPARE(tip.maximumWidth(), 11);
        QVERIFY(tip.testAttribute(Qt::WA_TranslucentBackground));
        tip.resize(11, 50);
        QImage image(11, 50, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        tip.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        QCOMPARE(image.pixelColor(9, 25), QColor(38, 166, 91));   // inside, near the base
        QCOMPARE(image.pixelColor(9, 17), QColor(38, 166, 91));
        QCOMPARE(image.pixelColor(2, 25).rgb() & 0xffffff, QColor(38, 166, 91).rgb() & 0xffffff);
        QCOMPARE(image.pixelColor(9, 8).alpha(), 0);              // above the base
        QCOMPARE(image.pixelColor(9, 42).alpha(), 0);             // below the base
        QCOMPARE(image.pixelColor(2, 15).alpha(), 0);             // beside the apex
    }

    // A box left of its element points right: the tip moves to the box's
    // right edge and is mirrored.
    void tipPointsRightForABoxLeftOfItsElement()
    {
        QCOMPARE(TourTip::triangle(true), QPolygon({QPoint(11, 25), QPoint(0, 14), QPoint(0, 35)}));
        QWidget window;
        window.resize(800, 600);
        auto *box = new TourBox(&window);
        window.show();
        box->show();
        box->showStep(7);
        QVERIFY(!box->pointerOnRight());
        QCOMPARE(box->tourTip()->x(), 0);
        box->setPointerOnRight(true);
        box->layout()->activate();
        QVERIFY(box->pointerOnRight());
        QVERIFY(box->tourTip()->pointsRight());
        QCOMPARE(box->tourTip()->geometry().right(), box->width() - 1);
        QCOMPARE(box->tourText()->x(), 0);
        box->setPointerOnRight(false);
        box->layout()->activate();
        QCOMPARE(box->tourTip()->x(), 0);
    }

    void placementBesideAnElement_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QRect>("bounds");
        QTest::addColumn<QPoint>("topLeft");
        QTest::addColumn<bool>("pointerOnRight");
        const QRect view(100, 50, 800, 600);   // x 100..899, y 50..649
        const QSize box(350, 200);
        QTest::newRow("room on the right") << QRect(200, 100, 120, 1) << box << view << QPoint(320, 100) << false;
        QTest::newRow("exactly fits on the right") << QRect(200, 100, 350, 1) << box << view << QPoint(550, 100)
                                                   << false;
        QTest::newRow("no room right: left of it") << QRect(600, 100, 200, 1) << box << view << QPoint(250, 100)
                                                   << true;
        QTest::newRow("too low: raised") << QRect(200, 600, 120, 1) << box << view << QPoint(320, 450) << false;
        QTest::newRow("above the view: lowered") << QRect(200, 10, 120, 1) << box << view << QPoint(320, 50)
                                                 << false;
        QTest::newRow("room on neither side: more on the left")
            << QRect(400, 100, 300, 1) << box << view << QPoint(100, 100) << true;
        QTest::newRow("room on neither side: more on the right")
            << QRect(250, 100, 300, 1) << box << view << QPoint(550, 100) << false;
        QTest::newRow("view smaller than the box") << QRect(120, 100, 40, 1) << box << QRect(100, 50, 300, 150)
                                                   << QPoint(100, 50) << false;
        QTest::newRow("element scrolled out on the right")
            << QRect(1000, 100, 100, 1) << box << view << QPoint(550, 100) << true;
    }

    void placementBesideAnElement()
    {
        QFETCH(QRect, anchor);
        QFETCH(QSize, box);
        QFETCH(QRect, bounds);
        QFETCH(QPoint, topLeft);
        QFETCH(bool, pointerOnRight);
        const TourPlacement::Placement placement = TourPlacement::beside(anchor, box, bounds);
        QCOMPARE(placement.topLeft, topLeft);
        QCOMPARE(placement.pointerOnRight, pointerOnRight);
        if (box.width() <= bounds.width() && box.height() <= bounds.height())
            QVERIFY(bounds.contains(QRect(placement.topLeft, box)));
    }

    void placementAtAPoint()
    {
        const QRect window(0, 0, 800, 600);
        const QSize box(350, 200);
        QCOMPARE(TourPlacement::at(QPoint(200, 100), box, window).topLeft, QPoint(200, 100));
        QCOMPARE(TourPlacement::at(QPoint(700, 500), box, window).topLeft, QPoint(450, 400));
        QCOMPARE(TourPlacement::at(QPoint(-20, -5), box, window).topLeft, QPoint(0, 0));
        QVERIFY(!TourPlacement::at(QPoint(700, 500), box, window).pointerOnRight);
    }

    void boxShowsStepsAndForwardsLinks()
    {
        QWidget window;
        window.resize(1000, 800);
        auto *box = new TourBox(&window);
        QCOMPARE(box->geometry(), QRect(300, 300, 350, 120));
        QVERIFY(box->isHidden());
        QVERIFY(box->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(box->testAttribute(Qt::WA_TranslucentBackground));
        QCOMPARE(box->layout()->spacing(), 0);
        QCOMPARE(box->layout()->contentsMargins(), QMargins());
        window.show();
        box->move(40, 70);
        box->show();

        box->showStep(5);
        const int transitionHeight = box->height();
        QCOMPARE(box->pos(), QPoint(40, 70));
        QCOMPARE(box->width(), 350);
        QCOMPARE(transitionHeight, int(box->tourText()->document()->size().height()));
        QVERIFY(box->tourText()->toPlainText().startsWith("Transition Item"));

        box->showStep(6);   // a shorter text makes a lower box
        QCOMPARE(box->height(), int(box->tourText()->document()->size().height()));
        QVERIFY(box->height() < transitionHeight);
        QCOMPARE(box->pos(), QPoint(40, 70));
        box->showStep(8);
        QVERIFY(box->tourText()->toPlainText().startsWith("Code generation"));

        QSignalSpy next(box, &TourBox::nextLinkClicked);
        QSignalSpy quit(box, &TourBox::quitLinkClicked);
        box->tourText()->footerLinkClicked(QUrl("Next"));
        box->tourText()->footerLinkClicked(QUrl("quit"));
        QCOMPARE(next.count(), 1);
        QCOMPARE(quit.count(), 1);
    }

    void homeScreenText()
    {
        QCOMPARE(HomeScreen::instance(), HomeScreen::instance());
        QVERIFY(HomeScreen::instance()->items().isEmpty());
        QCOMPARE(HomeScreen::instance()->welcomeText(),
                 QStringLiteral("Welcome to Kestro\n______________________\n\n"
                                "File > Open to open an existing Project\n"
                                "File > New to create a new Kestro Project\n"
                                "File > Open Examples to open template Projects\n\n"
                                "Use Help menu to take a tour of Kestro"));
    }

    void homeScreenTextIsCentredAndNeverWrapped()
    {
        const QImage wide = grabHome(QSize(900, 600));
        const QRect ink = inkBox(wide);
        QVERIFY(!ink.isEmpty());
        QVERIFY(qAbs(ink.center().x() - wide.width() / 2) <= 3);
        QVERIFY(qAbs(ink.center().y() - wide.height() / 2) <= 3);
        QVERIFY(ink.width() > 200);

        const QImage tall = grabHome(QSize(500, 800));   // resized: still centred
        const QRect tallInk = inkBox(tall);
        QVERIFY(qAbs(tallInk.center().x() - tall.width() / 2) <= 3);
        QVERIFY(qAbs(tallInk.center().y() - tall.height() / 2) <= 3);

        // Narrower than a line: the text overflows instead of wrapping, so it
        // keeps its height.
        const QImage narrow = grabHome(QSize(120, 600));
        const QRect narrowInk = inkBox(narrow);
        QCOMPARE(narrowInk.top(), ink.top());
        QVERIFY(qAbs(narrowInk.bottom() - ink.bottom()) <= 4);
        QCOMPARE(narrowInk.width(), 120);
    }

    void homeScreenCentresInTheShownAreaNotTheExposedPart()
    {
        QImage image(800, 600, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        painter.translate(-100, -50);
        QCOMPARE(HomeScreen::textArea(&painter, QRectF(120, 70, 10, 10)), QRectF(100, 50, 800, 600));
        painter.end();
        QCOMPARE(HomeScreen::textArea(nullptr, QRectF(1, 2, 3, 4)), QRectF(1, 2, 3, 4));
    }

    void agreementViewer()
    {
        Eula eula;
        QCOMPARE(eula.windowTitle(), QStringLiteral("Dialog"));
        QCOMPARE(eula.size(), QSize(592, 594));
        QCOMPARE(eula.findChild<QLabel *>("label")->text(), QStringLiteral("End User License Agreement:"));
        auto *text = eula.findChild<QTextEdit *>("textEdit");
        QVERIFY(text->isReadOnly());
        const QString plain = text->toPlainText();
        QVERIFY(plain.contains("Kestro End User License Agreement"));
        QVERIFY(plain.contains("Orvanta"));
        QVERIFY(!plain.contains("<h2>"));   // shown as rich text
        QCOMPARE(Eula::agreementText().left(6), QStringLiteral("<html>"));

        auto *close = eula.findChild<QPushButton *>("pushButton");
        QCOMPARE(close->text(), QStringLiteral("Close"));
        eula.show();
        QCOMPARE(close->width(), 100);
        const int rightEdge = eula.width() - eula.layout()->contentsMargins().right();
        QVERIFY(qAbs(close->geometry().right() + 1 - rightEdge) <= 1);
        QTest::mouseClick(close, Qt::LeftButton);
        QVERIFY(!eula.isVisible());
    }
};

QTEST_MAIN(TestGuide)
#include "tst_guide.moc"
