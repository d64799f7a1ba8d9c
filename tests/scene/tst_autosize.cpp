#include "DiagramFont.h"
#include "AutoSize.h"
#include "ItemLayout.h"
#include "RecordFit.h"
#include "StateItem.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QtTest>

// Exact sizes of the fit-to-text rules for given font metrics.
class TestAutoSize : public QObject
{
    Q_OBJECT

private:
    static QString lines(int count, int longest)
    {
        QStringList l;
        for (int i = 0; i < count; ++i)
            l << QString(i == count / 2 ? longest : 3, QLatin1Char('x'));
        return l.join(QLatin1Char('\n'));
    }

private slots:
    void state_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("action");
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("h");
        QTest::addColumn<QSize>("expected");

        // Empty texts still count one action line; both minimums apply.
        QTest::newRow("empty") << QString() << QString() << 7.0 << 16.0 << QSize(280, 150);
        // Widest of ten lines is 60 chars: 60*7+56 = 476, + 42; 10*16 + 48.
        QTest::newRow("action lines") << "Idle" << lines(10, 60) << 7.0 << 16.0 << QSize(518, 208);
        // The label is wider than every action line.
        QTest::newRow("label wins") << QString(80, 'L') << lines(10, 20) << 7.0 << 16.0
                                    << QSize(80 * 7 + 56 + 42, 208);
        // The cap of 850 applies before the margins.
        QTest::newRow("long label") << QString(200, 'L') << QString() << 7.0 << 16.0 << QSize(892, 150);
        QTest::newRow("long action line") << "S" << lines(12, 200) << 7.0 << 16.0 << QSize(892, 240);
        // Fractions are cut at each step: 100*6.6+52.8 = 712.8 -> 712;
        // 712+39.6 -> 751; 12*13.3+39.9 = 199.5 -> 199.
        QTest::newRow("fractional") << "S" << lines(12, 100) << 6.6 << 13.3 << QSize(751, 199);
        // Empty lines are lines too.
        QTest::newRow("empty lines") << "S" << QString("\n\n\n\n\n\n\n\n\n") << 7.0 << 16.0 << QSize(280, 208);
    }

    void state()
    {
        QFETCH(QString, label);
        QFETCH(QString, action);
        QFETCH(double, a);
        QFETCH(double, h);
        QFETCH(QSize, expected);
        QCOMPARE(stateAutoSize(label, action, TextMetrics{a, h}), expected);
    }

    void transition_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QSize>("expected");

        // A = 7, H = 16 throughout.
        QTest::newRow("empty") << QString() << QString() << QString() << QSize(150, 80);
        // Condition 30 chars: 266 beats label 126 and action 196; 2*16+64.
        QTest::newRow("condition widest") << QString(10, 'l') << QString(30, 'c')
                                          << QString(20, 'a') + "\nx" << QSize(308, 96);
        QTest::newRow("long condition") << "t" << QString(100, 'c') << QString() << QSize(642, 80);
        // A capped label is not narrowed again by a short condition.
        QTest::newRow("long label") << QString(100, 'l') << "c" << QString() << QSize(642, 80);
        QTest::newRow("long action line") << "t" << "c" << lines(3, 150) << QSize(642, 112);
    }

    void transition()
    {
        QFETCH(QString, label);
        QFETCH(QString, condition);
        QFETCH(QString, action);
        QFETCH(QSize, expected);
        QCOMPARE(transitionAutoSize(label, condition, action, TextMetrics{7.0, 16.0}), expected);
    }

    void transitionMinimumHeight()
    {
        // 1*10 + 4*10 = 50 is below the minimum of 75.
        QCOMPARE(transitionAutoSize("t", "c", "a", TextMetrics{7.0, 10.0}), QSize(150, 75));
    }

    void text_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("h");
        QTest::addColumn<QSize>("expected");

        QTest::newRow("empty") << QString() << 16.0 << QSize(150, 75);
        // No width cap for text items: 200*7+56+42; 3*16 + 40.
        QTest::newRow("wide") << lines(3, 200) << 16.0 << QSize(1498, 88);
        // 3*13 + 32.5 = 71.5 is below 75; 4*13 + 32.5 = 84.5 -> 84.
        QTest::newRow("three lines") << lines(3, 40) << 13.0 << QSize(378, 75);
        QTest::newRow("four lines") << lines(4, 40) << 13.0 << QSize(378, 84);
    }

    void text()
    {
        QFETCH(QString, text);
        QFETCH(double, h);
        QFETCH(QSize, expected);
        QCOMPARE(textAutoSize(text, TextMetrics{7.0, h}), expected);
    }

    void metricsFollowTheDiagramFont()
    {
        // Outside a scene an item measures with the diagram font, not the
        // application's.
        const QFontMetricsF appMetrics(DiagramFont::font());
        StateItem state(nullptr, 0, 0);
        TextMetrics m = state.diagramMetrics();
        QCOMPARE(m.averageCharWidth, appMetrics.averageCharWidth());
        QCOMPARE(m.lineHeight, appMetrics.height());

        // In a scene, with the scene's font, whatever window is active.
        QGraphicsScene scene;
        QFont big = DiagramFont::font();
        big.setPixelSize(big.pixelSize() * 3);
        scene.setFont(big);
        scene.addItem(&state);
        m = state.diagramMetrics();
        const QFontMetricsF bigMetrics(big);
        QCOMPARE(m.averageCharWidth, bigMetrics.averageCharWidth());
        QCOMPARE(m.lineHeight, bigMetrics.height());
        QVERIFY(m.lineHeight > appMetrics.height());

        // Fitting uses them: a long label needs a wider box in the big font.
        state.setLabel(QStringLiteral("a_state_label_long_enough_to_widen_the_box"));
        state.fitToText();
        QCOMPARE(QSize(state.width(), state.height()), stateAutoSize(state.label(), QString(), m));
        QVERIFY(state.width() > stateAutoSize(state.label(), QString(), textMetrics(DiagramFont::font())).width());
        scene.removeItem(&state);
    }

    void drawnTextWiderThanTheFormulaGrowsTheBox()
    {
        // Every character drawn 20 wide against an estimate of 7: the lines
        // get their drawn width plus a pixel, the margins stay 6A.
        const TextMetrics wide{7.0, 16.0, [](const QString &line) { return 20.0 * line.size(); }};
        QCOMPARE(autoLineWidth(QStringLiteral("MAX_SPEED"), wide), 181);
        QCOMPARE(stateAutoSize(QStringLiteral("AB"), QString(30, 'W'), wide), QSize(601 + 42, 150));
        QCOMPARE(transitionAutoSize(QString(10, 'T'), QStringLiteral("(x)"), QString(), wide), QSize(201 + 42, 80));
        QCOMPARE(textAutoSize(QStringLiteral("#define N 1\nx"), wide), QSize(221 + 42, 75));
        // The caps still hold.
        QCOMPARE(stateAutoSize(QString(100, 'W'), QString(), wide).width(), 850 + 42);
        QCOMPARE(transitionAutoSize(QString(), QString(), QString(40, 'W'), wide).width(), 600 + 42);

        // Narrow drawn text never shrinks a box below the formula.
        const TextMetrics narrow{7.0, 16.0, [](const QString &line) { return 1.0 * line.size(); }};
        for (const QString &text : {QString(60, 'i'), QString()})
            QCOMPARE(stateAutoSize(QStringLiteral("Idle"), text, narrow),
                     stateAutoSize(QStringLiteral("Idle"), text, TextMetrics{7.0, 16.0}));

        // A rounded-up average width in painting still leaves the room.
        const TextMetrics fractional{6.4, 16.0, [](const QString &line) { return 10.0 * line.size(); }};
        const QSize size = transitionAutoSize(QString(20, 'M'), QString(), QString(), fractional);
        QVERIFY(size.width() - 6 * 7 >= 200);
    }

    void realFontFitsCapitalsAndWideCharacters()
    {
        // In the application's font the drawn label fits the label area a
        // state paints it in.
        const TextMetrics m = textMetrics(DiagramFont::font());
        QVERIFY(m.advance);
        const QFont font = itemPaintFont(DiagramFont::font());
        const QFontMetrics fm(font);
        for (const QString &label : {QStringLiteral("DefaultTransition"), QStringLiteral("MAX_BUFFER_SIZE_WWW"),
                                     QStringLiteral("\u72b6\u6001\u673a\u5f85\u673a\u72b6\u6001\u673a"),
                                     QStringLiteral("MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM")}) {
            const QSize state = stateAutoSize(label, label, m);
            const StateTextLayout s = stateTextLayout(state.width(), state.height(), fm.averageCharWidth(), fm.height());
            QVERIFY2(fm.horizontalAdvance(label) <= s.labelRect.width(), qPrintable(label));
            QVERIFY2(fm.horizontalAdvance(label) <= s.actionRect.width(), qPrintable(label));
            const QSize box = transitionAutoSize(label, label, label, m);
            const TransitionTextLayout t = transitionTextLayout(box.width(), box.height(), fm.averageCharWidth(), fm.height());
            QVERIFY2(fm.horizontalAdvance(label) <= t.labelRect.width(), qPrintable(label));
            QVERIFY2(fm.horizontalAdvance(label) <= t.conditionRect.width(), qPrintable(label));
        }
    }

    void recordsGrowAroundTheirCentre()
    {
        const TextMetrics wide{7.0, 16.0, [](const QString &line) { return 20.0 * line.size(); }};
        CanvasBlock block;
        TransitionRecord t;
        t.label = QStringLiteral("DefaultTransition");
        t.xCoord = 650;
        t.yCoord = 650;
        t.width = 150;
        t.height = 75;
        t.polygon = closedRectangle(150, 75);
        StateRecord big;
        big.label = QStringLiteral("S");
        big.width = 900;
        big.height = 400;
        big.polygon = closedRectangle(900, 400);
        block.transitions << t;
        block.states << big;
        growBoxesToTexts(block, wide);

        const TransitionRecord &grown = block.transitions.first();
        QCOMPARE(grown.width, 17 * 20 + 1 + 42);
        QCOMPARE(grown.height, 80);
        QCOMPARE(grown.xCoord + grown.width / 2.0, 650 + 75.0 + 0.5);
        QCOMPARE(grown.yCoord, 648.0);
        QCOMPARE(QPolygonF(grown.polygon), closedRectangle(grown.width, grown.height));
        // A box bigger than its texts keeps its size.
        QCOMPARE(block.states.first().width, 900);
        QCOMPARE(block.states.first().height, 400);
        QCOMPARE(block.states.first().polygon.size(), 5);
    }
};

QTEST_MAIN(TestAutoSize)
#include "tst_autosize.moc"
