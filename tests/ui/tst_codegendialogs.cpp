#include "CodegenErrorLog.h"
#include "CodegenProperties.h"
#include "ScriptedPrompter.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

namespace {

template <typename T>
T *child(QWidget *dialog, const char *name)
{
    T *w = dialog->findChild<T *>(QLatin1String(name));
    if (!w)
        qFatal("missing child %s", name);
    return w;
}

void fill(CodegenProperties &d)
{
    d.setAuthor("Ann");
    d.setOrganization("Org");
    d.setOutputDirectory("/tmp/project/");
    d.setVersion(2.5);
    d.refresh();
}

void click(CodegenProperties &d, QDialogButtonBox::StandardButton which)
{
    child<QDialogButtonBox>(&d, "buttonBox")->button(which)->click();
}

} // namespace

class TestCodegenDialogs : public QObject
{
    Q_OBJECT
private slots:
    void propertiesForm()
    {
        CodegenProperties d;
        QCOMPARE(d.windowTitle(), QString("Kestro - Code Generator Properties"));
        QCOMPARE(d.size(), QSize(463, 296));
        auto *grid = child<QGridLayout>(&d, "gridLayout");
        const struct { const char *name; int row, column, columnSpan; } cells[] = {
            { "label", 0, 0, 1 }, { "lineEdit", 0, 3, 1 }, { "label_2", 1, 0, 1 }, { "lineEdit_2", 1, 3, 1 },
            { "label_3", 2, 0, 1 }, { "lineEdit_3", 2, 3, 1 }, { "toolButton", 2, 4, 1 },
            { "label_5", 3, 0, 1 }, { "doubleSpinBox", 3, 3, 1 }, { "checkBox", 4, 3, 1 },
            { "label_style", 5, 0, 1 }, { "comboBox_style", 5, 1, 3 },
            { "label_counter", 6, 0, 1 }, { "comboBox_counter", 6, 1, 3 },
            { "label_4", 7, 0, 2 }, { "buttonBox", 7, 3, 1 },
        };
        for (const auto &cell : cells) {
            int row, column, rowSpan, columnSpan;
            grid->getItemPosition(grid->indexOf(child<QWidget>(&d, cell.name)), &row, &column, &rowSpan, &columnSpan);
            QCOMPARE(row, cell.row);
            QCOMPARE(column, cell.column);
            QCOMPARE(columnSpan, cell.columnSpan);
        }
        QCOMPARE(child<QLabel>(&d, "label")->text(), QString("Author :"));
        QCOMPARE(child<QLabel>(&d, "label_2")->text(), QString("Organization :"));
        QCOMPARE(child<QLabel>(&d, "label_3")->text(), QString("File Path :"));
        QCOMPARE(child<QLabel>(&d, "label_5")->text(), QString("Version :"));
        QCOMPARE(child<QToolButton>(&d, "toolButton")->text(), QString("..."));
        auto *spin = child<QDoubleSpinBox>(&d, "doubleSpinBox");
        QCOMPARE(spin->minimum(), 0.0);
        QCOMPARE(spin->maximum(), 99.99);
        QCOMPARE(spin->decimals(), 2);
        QCOMPARE(spin->singleStep(), 1.0);
        QCOMPARE(child<QDialogButtonBox>(&d, "buttonBox")->standardButtons(),
                 QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    }

    void okWithoutChangesKeepsTheValues()
    {
        CodegenProperties d;
        fill(d);
        QCOMPARE(child<QLineEdit>(&d, "lineEdit")->text(), QString("Ann"));
        QCOMPARE(child<QLineEdit>(&d, "lineEdit_3")->text(), QString("/tmp/project/"));
        d.show();
        click(d, QDialogButtonBox::Ok);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(!d.isVisible());
        QCOMPARE(d.author(), QString("Ann"));
        QCOMPARE(d.organization(), QString("Org"));
        QCOMPARE(d.outputDirectory(), QString("/tmp/project/"));
        QCOMPARE(d.version(), 2.5);
    }

    void okTakesTheEditedFields()
    {
        CodegenProperties d;
        fill(d);
        d.show();
        child<QLineEdit>(&d, "lineEdit")->setText("Bea");
        child<QLineEdit>(&d, "lineEdit_2")->setText("");
        child<QLineEdit>(&d, "lineEdit_3")->setText("/typed/");
        child<QDoubleSpinBox>(&d, "doubleSpinBox")->setValue(10.5);
        click(d, QDialogButtonBox::Ok);
        QCOMPARE(d.author(), QString("Bea"));
        QCOMPARE(d.organization(), QString());
        QCOMPARE(d.outputDirectory(), QString("/typed/"));
        QCOMPARE(d.version(), 10.5);
    }

    // The project's default module style: classic stays unstored where
    // nothing was stored, a stored text this version does not know stays
    // unless another style is picked.
    void projectStyleChoice()
    {
        CodegenProperties d;
        const auto choose = [&](const QString &stored, int pick) {
            d.setProjectStyle(stored);
            fill(d);
            d.show();
            auto *box = child<QComboBox>(&d, "comboBox_style");
            const int shown = box->currentIndex();
            if (pick >= 0)
                box->setCurrentIndex(pick);
            click(d, QDialogButtonBox::Ok);
            return QString::number(shown) + ":" + d.projectStyle();
        };
        QCOMPARE(choose("", -1), QString("0:"));
        QCOMPARE(choose("", 1), QString("0:instance"));
        QCOMPARE(choose("instance", 0), QString("1:"));
        QCOMPARE(choose("classic", -1), QString("0:classic"));
        QCOMPARE(choose("objects", -1), QString("-1:objects"));
        QCOMPARE(choose("objects", 1), QString("-1:instance"));
        d.setProjectStyle("instance");
        fill(d);
        child<QComboBox>(&d, "comboBox_style")->setCurrentIndex(0);
        click(d, QDialogButtonBox::Cancel);
        QCOMPARE(d.projectStyle(), QString("instance"));
    }

    // The time in state's type: uint32_t stays unstored where nothing was
    // stored, a stored text this version does not know shows no choice and
    // stays unless a type is picked.
    void counterTypeChoice()
    {
        CodegenProperties d;
        const auto choose = [&](const QString &stored, int pick) {
            d.setCounterType(stored);
            fill(d);
            d.show();
            auto *box = child<QComboBox>(&d, "comboBox_counter");
            const int shown = box->currentIndex();
            if (pick >= 0)
                box->setCurrentIndex(pick);
            click(d, QDialogButtonBox::Ok);
            return QString::number(shown) + ":" + d.counterType();
        };
        QCOMPARE(choose("", -1), QString("0:"));
        QCOMPARE(choose("", 2), QString("0:uint8_t"));
        QCOMPARE(choose("uint16_t", -1), QString("1:uint16_t"));
        QCOMPARE(choose("uint16_t", 0), QString("1:"));
        QCOMPARE(choose("uint32_t", -1), QString("0:uint32_t"));
        QCOMPARE(choose("int", -1), QString("-1:int"));
        QCOMPARE(choose("int", 1), QString("-1:uint16_t"));
    }

    void cancelTakesNothing()
    {
        CodegenProperties d;
        fill(d);
        d.show();
        child<QLineEdit>(&d, "lineEdit")->setText("Bea");
        child<QDoubleSpinBox>(&d, "doubleSpinBox")->setValue(7);
        click(d, QDialogButtonBox::Cancel);
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(d.author(), QString("Ann"));
        QCOMPARE(d.version(), 2.5);
        // The next use starts from a fresh fill.
        fill(d);
        QCOMPARE(child<QLineEdit>(&d, "lineEdit")->text(), QString("Ann"));
    }

    void directoryChooserRemembersTheLastPick()
    {
        ScriptedPrompter prompter;
        CodegenProperties d;
        fill(d);
        prompter.directoryAnswers << "/chosen/one";
        QTest::mouseClick(child<QToolButton>(&d, "toolButton"), Qt::LeftButton);
        QCOMPARE(d.outputDirectory(), QString("/chosen/one"));
        QCOMPARE(child<QLineEdit>(&d, "lineEdit_3")->text(), QString("/chosen/one"));
        QCOMPARE(prompter.fileRequests.size(), 1);
        QCOMPARE(prompter.fileRequests.at(0).directory, QString("/tmp/project/"));
        QVERIFY(prompter.fileRequests.at(0).caption.isEmpty());

        // Cancelling the chooser changes nothing; it still opens at the last pick.
        d.setOutputDirectory("/elsewhere/");
        d.refresh();
        QTest::mouseClick(child<QToolButton>(&d, "toolButton"), Qt::LeftButton);
        QCOMPARE(prompter.fileRequests.size(), 2);
        QCOMPARE(prompter.fileRequests.at(1).directory, QString("/chosen/one"));
        QCOMPARE(d.outputDirectory(), QString("/elsewhere/"));
        QCOMPARE(child<QLineEdit>(&d, "lineEdit_3")->text(), QString("/elsewhere/"));
    }

    void errorLogForm()
    {
        CodegenErrorLog log;
        QCOMPARE(log.windowTitle(), QString("Kestro - Code Generator Error Log"));
        QCOMPARE(log.size(), QSize(500, 550));
        QCOMPARE(child<QLabel>(&log, "label")->text(), QString("Following design errors exists :"));
        QCOMPARE(child<QTableWidget>(&log, "tableWidget")->gridStyle(), Qt::DotLine);
        auto *ok = child<QPushButton>(&log, "pushButton");
        QCOMPARE(ok->text(), QString("OK"));
        QCOMPARE(ok->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
        QCOMPARE(ok->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
        QCOMPARE(ok->layoutDirection(), Qt::RightToLeft);
        auto *layout = child<QVBoxLayout>(&log, "verticalLayout");
        QCOMPARE(layout->indexOf(child<QLabel>(&log, "label")), 0);
        QCOMPARE(layout->indexOf(child<QTableWidget>(&log, "tableWidget")), 1);
        QCOMPARE(layout->indexOf(ok), 2);
        QCOMPARE(log.headerLabels(), QStringList { "Error Description" });
        // The fixed-size button sits at the right edge.
        log.show();
        QVERIFY(QTest::qWaitForWindowExposed(&log));
        QCOMPARE(ok->geometry().right(), log.width() - 1 - layout->contentsMargins().right());
        QVERIFY(ok->geometry().left() > log.width() / 2);
    }

    void errorLogRows()
    {
        CodegenErrorLog log;
        auto *table = child<QTableWidget>(&log, "tableWidget");
        const QStringList errors { "first", "second", "third" };
        log.setErrors(errors);
        QCOMPARE(table->columnCount(), 1);
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->columnWidth(0), 600);
        QCOMPARE(table->horizontalHeaderItem(0)->text(), QString("Error Description"));
        for (int row = 0; row < 3; ++row)
            QCOMPARE(table->item(row, 0)->text(), errors.at(row));

        // A later run replaces the rows.
        log.setErrors({ "only" });
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(table->item(0, 0)->text(), QString("only"));
        log.setErrors({});
        QCOMPARE(table->rowCount(), 0);
    }

    void errorLogOkCloses()
    {
        CodegenErrorLog log;
        log.setErrors({ "x" });
        QTimer::singleShot(0, &log, [&log] {
            QTest::mouseClick(log.findChild<QPushButton *>("pushButton"), Qt::LeftButton);
        });
        log.exec();
        QVERIFY(!log.isVisible());
    }
};

QTEST_MAIN(TestCodegenDialogs)
#include "tst_codegendialogs.moc"
