#include "CanvasSize.h"
#include "GraphicsViewZoom.h"

#include <QDialogButtonBox>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtMath>
#include <QtTest>

// Drives the wheel zoom with real mouse and wheel events on a real view.
class TestZoom : public QObject
{
    Q_OBJECT

    QGraphicsScene *m_scene = nullptr;
    QGraphicsView *m_view = nullptr;
    GraphicsViewZoom *m_zoom = nullptr;

    void moveTo(const QPoint &pos)
    {
        QMouseEvent move(QEvent::MouseMove, pos, m_view->viewport()->mapToGlobal(pos),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QSpontaneKeyEvent::setSpontaneous(&move);
        QApplication::sendEvent(m_view->viewport(), &move);
    }

    // A spontaneous event updates the application's modifier state the way a
    // real wheel turn does.
    bool turnWheel(const QPoint &pos, const QPoint &angle, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWheelEvent wheel(pos, m_view->viewport()->mapToGlobal(pos), QPoint(), angle,
                          Qt::NoButton, mods, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&wheel);
        QApplication::sendEvent(m_view->viewport(), &wheel);
        return wheel.isAccepted();
    }

    double scale() const { return m_view->transform().m11(); }

private slots:
    void init()
    {
        m_scene = new QGraphicsScene(0, 0, 20000, 20000);
        m_view = new QGraphicsView(m_scene);
        m_view->resize(800, 600);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view));
        m_view->centerOn(10000, 10000);
        m_zoom = new GraphicsViewZoom(m_view);
        m_zoom->setModifiers(Qt::NoModifier);
        m_zoom->setEnabled(true);
    }

    void cleanup()
    {
        delete m_view;
        delete m_scene;
    }

    void plainWheelZoomsAroundTheCursor()
    {
        QVERIFY(m_view->hasMouseTracking());
        QSignalSpy zoomed(m_zoom, &GraphicsViewZoom::zoomed);
        const QPoint cursor(200, 150);
        moveTo(cursor);
        const QPointF underCursor = m_view->mapToScene(cursor);

        turnWheel(cursor, QPoint(0, 120));
        QCOMPARE(zoomed.count(), 1);
        QVERIFY(qFuzzyCompare(scale(), qPow(1.0015, 120)));
        QVERIFY(qAbs(scale() - 1.197) < 0.001);
        QPointF back = m_view->mapFromScene(underCursor);
        QVERIFY2(QLineF(back, cursor).length() <= 1.5,
                 qPrintable(QString("%1,%2").arg(back.x()).arg(back.y())));

        // Turning back undoes the zoom and the point still stays put.
        turnWheel(cursor, QPoint(0, -120));
        QCOMPARE(zoomed.count(), 2);
        QVERIFY(qFuzzyCompare(scale(), 1.0));
        back = m_view->mapFromScene(underCursor);
        QVERIFY(QLineF(back, cursor).length() <= 1.5);

        // Several notches at another spot, far from the first one.
        const QPoint other(650, 480);
        moveTo(other);
        const QPointF underOther = m_view->mapToScene(other);
        turnWheel(other, QPoint(0, 360));
        QVERIFY(qFuzzyCompare(scale(), qPow(1.0015, 360)));
        QVERIFY(QLineF(m_view->mapFromScene(underOther), other).length() <= 1.5);
    }

    void modifiersMustMatchExactly()
    {
        QSignalSpy zoomed(m_zoom, &GraphicsViewZoom::zoomed);
        moveTo(QPoint(300, 300));
        QTest::keyPress(m_view->viewport(), Qt::Key_Control, Qt::ControlModifier);
        QCOMPARE(QApplication::keyboardModifiers(), Qt::ControlModifier);
        turnWheel(QPoint(300, 300), QPoint(0, 120), Qt::ControlModifier);
        QTest::keyRelease(m_view->viewport(), Qt::Key_Control, Qt::NoModifier);
        QCOMPARE(zoomed.count(), 0);
        QCOMPARE(scale(), 1.0);

        // A zoom filter configured for Ctrl zooms only with Ctrl held.
        m_zoom->setModifiers(Qt::ControlModifier);
        turnWheel(QPoint(300, 300), QPoint(0, 120), Qt::NoModifier);
        QCOMPARE(scale(), 1.0);
        QTest::keyPress(m_view->viewport(), Qt::Key_Control, Qt::ControlModifier);
        turnWheel(QPoint(300, 300), QPoint(0, 120), Qt::ControlModifier);
        QTest::keyRelease(m_view->viewport(), Qt::Key_Control, Qt::NoModifier);
        QCOMPARE(zoomed.count(), 1);
        QVERIFY(scale() > 1.1);
    }

    void horizontalWheelScrollsInstead()
    {
        moveTo(QPoint(300, 300));
        turnWheel(QPoint(300, 300), QPoint(120, 0));
        QCOMPARE(scale(), 1.0);
    }

    void disabledFilterNeverZooms()
    {
        m_zoom->setEnabled(false);
        QSignalSpy zoomed(m_zoom, &GraphicsViewZoom::zoomed);
        const int before = m_view->verticalScrollBar()->value();
        moveTo(QPoint(100, 100));
        turnWheel(QPoint(100, 100), QPoint(0, -120));
        QCOMPARE(zoomed.count(), 0);
        QCOMPARE(scale(), 1.0);
        // The event reached the view, which scrolled.
        QVERIFY(m_view->verticalScrollBar()->value() != before);
        // Moves are not recorded either.
        QCOMPARE(m_zoom->targetViewportPos(), QPointF(0, 0));

        GraphicsViewZoom fresh(m_view);
        QVERIFY(!fresh.isEnabled());
    }

    void smallMovesKeepTheAnchor()
    {
        const QPoint anchor(400, 300);
        moveTo(anchor);
        const QPointF anchorScene = m_view->mapToScene(anchor);
        // Up to 5 pixels in each direction: the anchor stays.
        moveTo(anchor + QPoint(5, -5));
        moveTo(anchor + QPoint(-3, 4));
        QCOMPARE(m_zoom->targetViewportPos(), QPointF(anchor));
        QCOMPARE(m_zoom->targetScenePos(), anchorScene);
        turnWheel(anchor + QPoint(-3, 4), QPoint(0, 240));
        QVERIFY(QLineF(m_view->mapFromScene(anchorScene), anchor).length() <= 1.5);

        // Six pixels away moves it; fractional positions are rounded.
        QMouseEvent move(QEvent::MouseMove, QPointF(406.4, 300.6), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(m_view->viewport(), &move);
        QCOMPARE(m_zoom->targetViewportPos(), QPointF(406, 301));
        QCOMPARE(m_zoom->targetScenePos(), m_view->mapToScene(QPoint(406, 301)));
    }

    void zoomActionsAndScale()
    {
        zoomViewIn(m_view);
        QVERIFY(qFuzzyCompare(scale(), 1.1));
        QVERIFY(qFuzzyCompare(m_view->transform().m22(), 1.1));
        zoomViewOut(m_view);
        QVERIFY(qFuzzyCompare(scale(), 0.99));

        QTransform t;
        t.translate(12, -7);
        t.scale(3, 3);
        m_view->setTransform(t);
        setViewScale(m_view, 1.5, 0.5);
        const QTransform now = m_view->transform();
        QCOMPARE(now.m11(), 1.5);
        QCOMPARE(now.m22(), 0.5);
        QCOMPARE(now.dx(), 12.0);
        QCOMPARE(now.dy(), -7.0);
        QCOMPARE(now.m12(), 0.0);
    }

    void fitToWindowShowsAllItems()
    {
        QTransform before = m_view->transform();
        fitViewToItems(m_view, nullptr);
        QCOMPARE(m_view->transform(), before);

        m_scene->addRect(3000, 4000, 400, 200);
        m_scene->addRect(3600, 4500, 100, 100);
        fitViewToItems(m_view, m_scene);
        const QRect shown = m_view->mapFromScene(m_scene->itemsBoundingRect()).boundingRect();
        const QRect viewport = m_view->viewport()->rect();
        // A margin all round: no item touches the view's edge.
        QVERIFY(viewport.adjusted(8, 8, -8, -8).contains(shown));
        // Aspect kept, one direction filled but for the margins.
        QVERIFY(qFuzzyCompare(m_view->transform().m11(), m_view->transform().m22()));
        QVERIFY(shown.width() >= viewport.width() * 0.8 || shown.height() >= viewport.height() * 0.8);

        // A single item too.
        m_scene->clear();
        m_scene->addRect(500, 300, 300, 200);
        fitViewToItems(m_view, m_scene);
        QVERIFY(viewport.adjusted(8, 8, -8, -8).contains(m_view->mapFromScene(m_scene->itemsBoundingRect()).boundingRect()));
    }

    void canvasSizeDialog()
    {
        CanvasSize dialog;
        QCOMPARE(dialog.windowTitle(), QString("Kestro - Set Canvas Size"));
        QCOMPARE(dialog.minimumSize(), QSize(400, 200));
        QCOMPARE(dialog.maximumSize(), QSize(400, 200));
        auto *widthBox = dialog.findChild<QSpinBox *>("widthBox");
        auto *heightBox = dialog.findChild<QSpinBox *>("heightBox");
        auto *buttons = dialog.findChild<QDialogButtonBox *>("buttonBox");
        QVERIFY(widthBox && heightBox && buttons);

        dialog.setCanvasWidth(2000);
        dialog.setCanvasHeight(1050);
        QCOMPARE(widthBox->value(), 2000);
        QCOMPARE(heightBox->value(), 1050);

        // Out-of-range values are clamped by the boxes; zero is allowed.
        widthBox->setValue(500000);
        heightBox->setValue(-4);
        QCOMPARE(widthBox->value(), 167244);
        QCOMPARE(heightBox->value(), 0);

        // Cancel keeps the old size.
        dialog.show();
        buttons->button(QDialogButtonBox::Cancel)->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.canvasWidth(), 2000);
        QCOMPARE(dialog.canvasHeight(), 1050);

        dialog.show();
        buttons->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.canvasWidth(), 167244);
        QCOMPARE(dialog.canvasHeight(), 0);
    }
};

QTEST_MAIN(TestZoom)
#include "tst_zoom.moc"
