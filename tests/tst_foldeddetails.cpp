// Long details of a message box go into its details field only when they
// are unfolded; short ones are set at once. Driven through the box's own
// "Show Details..." button, and through the default prompter's modal box.

#include "FoldedDetails.h"
#include "Prompter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

namespace {

QString manyLines(int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("project.qsmd: warning: Link 'link%1': both ends are the same process item").arg(i);
    return lines.join(QLatin1Char('\n'));
}

QPushButton *showDetailsButton(QMessageBox *box)
{
    for (QAbstractButton *button : box->buttons()) {
        if (box->buttonRole(button) == QMessageBox::ActionRole)
            return qobject_cast<QPushButton *>(button);
    }
    return nullptr;
}

QTextEdit *detailsField(QMessageBox *box)
{
    return box->findChild<QTextEdit *>();
}

} // namespace

class TestFoldedDetails : public QObject
{
    Q_OBJECT

private slots:
    void shortDetailsAreSetAtOnce();
    void longDetailsFillTheFieldWhenUnfolded();
    void theDefaultPrompterFoldsLongDetails();
    void theBoxLooksAsWithItsDetailsSetAtOnce();
};

void TestFoldedDetails::shortDetailsAreSetAtOnce()
{
    QMessageBox box;
    FoldedDetails::set(&box, QStringLiteral("one\ntwo"));
    QCOMPARE(box.detailedText(), QStringLiteral("one\ntwo"));
}

void TestFoldedDetails::longDetailsFillTheFieldWhenUnfolded()
{
    const QString text = manyLines(20000);
    QMessageBox box;
    box.setText(QStringLiteral("opened with warnings"));
    FoldedDetails::set(&box, text);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTextEdit *field = detailsField(&box);
    QVERIFY(field);
    QVERIFY(!field->isVisible());
    QVERIFY(field->toPlainText().size() < 300);

    QPushButton *unfold = showDetailsButton(&box);
    QVERIFY(unfold);
    QTest::mouseClick(unfold, Qt::LeftButton);
    QVERIFY(field->isVisible());
    QCOMPARE(field->toPlainText(), text);
    QCOMPARE(box.detailedText(), text);

    // Folding and unfolding again keeps them.
    QTest::mouseClick(unfold, Qt::LeftButton);
    QTest::mouseClick(unfold, Qt::LeftButton);
    QCOMPARE(field->toPlainText(), text);
}

void TestFoldedDetails::theDefaultPrompterFoldsLongDetails()
{
    const QString text = manyLines(20000);
    QString folded, unfolded;
    QTimer::singleShot(0, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        folded = detailsField(box)->toPlainText();
        QTest::mouseClick(showDetailsButton(box), Qt::LeftButton);
        unfolded = detailsField(box)->toPlainText();
        box->button(QMessageBox::Ok)->click();
    });
    MessageRequest request;
    request.icon = QMessageBox::Warning;
    request.title = QStringLiteral("Kestro");
    request.text = QStringLiteral("opened with warnings");
    request.detailedText = text;
    DefaultPrompter prompter;
    QCOMPARE(prompter.message(nullptr, request), QMessageBox::Ok);
    QVERIFY(!folded.isEmpty());
    QVERIFY(folded.size() < 300);
    QCOMPARE(unfolded, text);
}

void TestFoldedDetails::theBoxLooksAsWithItsDetailsSetAtOnce()
{
    // Each box on its own, folded then unfolded, as the user sees it.
    const QString text = manyLines(3000);
    auto shots = [&text](bool late) {
        QMessageBox box;
        box.setIcon(QMessageBox::Warning);
        box.setText(QStringLiteral("project.qsmd opened with warnings."));
        box.setInformativeText(text.section(QLatin1Char('\n'), 0, 11));
        if (late)
            FoldedDetails::set(&box, text);
        else
            box.setDetailedText(text);
        box.show();
        if (!QTest::qWaitForWindowActive(&box))
            return QVector<QImage>();
        const QImage folded = box.grab().toImage();
        QTest::mouseClick(showDetailsButton(&box), Qt::LeftButton);
        return QVector<QImage>{folded, box.grab().toImage()};
    };
    const QVector<QImage> atOnce = shots(false);
    const QVector<QImage> late = shots(true);
    QCOMPARE(atOnce.size(), 2);
    QCOMPARE(late.size(), 2);
    QCOMPARE(late.at(0), atOnce.at(0));
    QCOMPARE(late.at(1), atOnce.at(1));
}

QTEST_MAIN(TestFoldedDetails)
#include "tst_foldeddetails.moc"
