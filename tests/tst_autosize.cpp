#include "AutoSize.h"
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
        // Outside a scene an item measures with the application font.
        const QFontMetricsF appMetrics(QApplication::font());
        StateItem state(nullptr, 0, 0);
        TextMetrics m = state.diagramMetrics();
        QCOMPARE(m.averageCharWidth, appMetrics.averageCharWidth());
        QCOMPARE(m.lineHeight, appMetrics.height());

        // In a scene, with the scene's font, whatever window is active.
        QGraphicsScene scene;
        QFont big = QApplication::font();
        big.setPointSizeF(big.pointSizeF() * 3);
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
        QVERIFY(state.width() > stateAutoSize(state.label(), QString(), textMetrics(QApplication::font())).width());
        scene.removeItem(&state);
    }
};

QTEST_MAIN(TestAutoSize)
#include "tst_autosize.moc"
