// Long texts drawn line by line, only where they can be seen, come out
// pixel for pixel as the whole text drawn at once: at 1:1, zoomed, scrolled
// so that the text runs off the picture, and under a clip.

#include "VisibleText.h"

#include <QImage>
#include <QPainter>
#include <QTextOption>
#include <QtTest>

#include <functional>

class TestVisibleText : public QObject
{
    Q_OBJECT

    static QString lines(int count, const QString &tail = QString())
    {
        QString text;
        for (int i = 0; i < count; ++i)
            text += QStringLiteral("out_%1 = in_%1 + %1;\tnote %2\n").arg(i).arg(QString(i % 7, QLatin1Char('x')));
        return text + tail;
    }

    // The text drawn into a picture with draw, under transform and clip.
    static QImage picture(const std::function<void(QPainter *, const QRectF &)> &draw,
                          const QTransform &transform, const QRectF &clip)
    {
        QImage image(500, 700, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setTransform(transform);
        if (!clip.isNull())
            painter.setClipRect(clip);
        draw(&painter, QRectF(10, 20, 400, 5000));
        return image;
    }

private slots:
    void drawsWhatDrawTextDraws_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QTransform>("transform");
        QTest::addColumn<QRectF>("clip");
        const QString text = lines(400);
        QTest::newRow("1:1") << text << QTransform() << QRectF();
        QTest::newRow("scrolled into the middle") << text << QTransform::fromTranslate(0, -2345.5) << QRectF();
        QTest::newRow("zoomed out") << text << QTransform::fromScale(0.3, 0.3) << QRectF();
        QTest::newRow("zoomed in and scrolled") << text
                                                << QTransform::fromScale(1.7, 1.7).translate(-30, -900)
                                                << QRectF();
        QTest::newRow("clipped") << text << QTransform() << QRectF(0, 300, 300, 120);
        QTest::newRow("ends with an empty line") << lines(100, "\n\nlast") << QTransform() << QRectF();
        QTest::newRow("carriage returns") << lines(100).replace("\t", "\r") << QTransform() << QRectF();
        QTest::newRow("other scripts") << lines(100, QStringLiteral("\u0645\u0631\u062d\u0628\u0627 \u4e16\u754c"))
                                       << QTransform::fromTranslate(0, -1500) << QRectF();
        QTest::newRow("few lines") << lines(5) << QTransform() << QRectF();
    }

    void drawsWhatDrawTextDraws()
    {
        QFETCH(QString, text);
        QFETCH(QTransform, transform);
        QFETCH(QRectF, clip);
        QTextOption option(Qt::AlignLeft);
        option.setWrapMode(QTextOption::NoWrap);
        const QImage whole = picture([&](QPainter *p, const QRectF &r) { p->drawText(r, text, option); },
                                     transform, clip);
        const QImage visible = picture(
            [&](QPainter *p, const QRectF &r) { drawVisibleText(p, r, text, option); }, transform, clip);
        QCOMPARE(visible, whole);
    }

    void visiblePartIsTheDeviceAndClipInPainterCoordinates()
    {
        QImage image(200, 100, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        painter.translate(50, -20);
        painter.scale(2, 2);
        QCOMPARE(visiblePart(&painter, QRectF(-100, -100, 1000, 1000)), QRectF(-25, 10, 100, 50));
        painter.setClipRect(QRectF(0, 20, 10, 10));
        QCOMPARE(visiblePart(&painter, QRectF(-100, -100, 1000, 1000)), QRectF(0, 20, 10, 10));
        QVERIFY(visiblePart(&painter, QRectF(500, 500, 10, 10)).isEmpty());
    }
};

QTEST_MAIN(TestVisibleText)
#include "tst_visibletext.moc"
