#include "DiagramFont.h"
#include "DataflowProperties.h"
#include "LinkProperties.h"
#include "MemoryProperties.h"
#include "ProcessProperties.h"
#include "ScriptedPrompter.h"
#include "StateProperties.h"
#include "TextProperties.h"
#include "TransitionProperties.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

// The property dialogs driven as a user would: widgets filled by object
// name, OK / Cancel clicked, the colour chooser answered by a script.
class TestPropertyDialogs : public QObject
{
    Q_OBJECT

private:
    template<typename T>
    static T *child(QWidget *dialog, const char *name)
    {
        T *w = dialog->findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qFatal("missing widget %s", name);
        return w;
    }

    static void clickOk(QWidget *dialog)
    {
        child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok)->click();
    }

    static void clickCancel(QWidget *dialog)
    {
        child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Cancel)->click();
    }

    static void pressSwatch(QWidget *dialog)
    {
        QTest::mousePress(child<QLabel>(dialog, "label_colour"), Qt::LeftButton);
    }

    static QString swatchStyle(QWidget *dialog)
    {
        return child<QLabel>(dialog, "label_colour")->styleSheet();
    }

    static QString placeholder(QWidget *dialog, const char *name)
    {
        if (auto *l = dialog->findChild<QLineEdit *>(QString::fromLatin1(name)))
            return l->placeholderText();
        if (auto *code = dialog->findChild<QPlainTextEdit *>(QString::fromLatin1(name)))
            return code->placeholderText();
        return child<QTextEdit>(dialog, name)->placeholderText();
    }

    static QStringList tabTitles(QWidget *dialog)
    {
        auto *tabs = child<QTabWidget>(dialog, "tabWidget");
        QStringList titles;
        for (int i = 0; i < tabs->count(); ++i)
            titles << tabs->tabText(i);
        return titles;
    }

    static void fillState(StateProperties &d)
    {
        d.setWidth(300);
        d.setHeight(160);
        d.setLabel("Idle");
        d.setAction("x = 1;");
        d.setDescription("waits");
        d.setInitialCondition("ready");
        d.setInitialDescription("init();");
        d.setBackgroundColour(QColor("#aabbcc"));
        d.setPickedColour(QColor("#aabbcc"));
    }

    // Link, memory and dataflow dialogs share their form and rules.
    template<typename D>
    void checkLabelDatatypeDialog()
    {
        ScriptedPrompter prompter;
        D d;
        d.setLabel("a");
        d.setDatatype("int");
        d.setDescription("old");
        d.setBackgroundColour(QColor("#102030"));
        d.setPickedColour(QColor("#102030"));
        d.refresh();
        QCOMPARE(child<QLineEdit>(&d, "lineEdit")->text(), QString("a"));
        QCOMPARE(child<QLineEdit>(&d, "lineEdit_2")->text(), QString("int"));
        QCOMPARE(swatchStyle(&d), QString("background-color:rgb(16,32,48);"));

        // Cancel after editing and picking keeps everything.
        child<QLineEdit>(&d, "lineEdit")->setText("b");
        prompter.colourAnswers.enqueue(QColor(1, 2, 3));
        pressSwatch(&d);
        clickCancel(&d);
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(d.label(), QString("a"));
        QCOMPARE(d.backgroundColour(), QColor("#102030"));

        d.refresh();
        child<QLineEdit>(&d, "lineEdit")->setText("speed");
        child<QLineEdit>(&d, "lineEdit_2")->setText("uint8_t");
        child<QTextEdit>(&d, "textEdit")->setPlainText("new");
        prompter.colourAnswers.enqueue(QColor(4, 5, 6));
        pressSwatch(&d);
        QCOMPARE(swatchStyle(&d), QString("background-color:rgb(4,5,6);"));
        clickOk(&d);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.label(), QString("speed"));
        QCOMPARE(d.datatype(), QString("uint8_t"));
        QCOMPARE(d.description(), QString("new"));
        QCOMPARE(d.backgroundColour(), QColor(4, 5, 6));
        QVERIFY(prompter.colourAnswers.isEmpty());
    }

private slots:
    void titlesTextsAndLimits()
    {
        StateProperties state;
        QCOMPARE(state.windowTitle(), QString("Kestro - State Item Properties"));
        QCOMPARE(state.minimumSize(), QSize(650, 720));
        QCOMPARE(tabTitles(&state), QStringList({"Properties", "Initial", "Description"}));
        QCOMPARE(child<QTabWidget>(&state, "tabWidget")->currentIndex(), 0);
        QCOMPARE(placeholder(&state, "lineEdit_2"), QString("Enter label for state item"));
        QCOMPARE(placeholder(&state, "textEdit"), QString("Paste code for state item here"));
        QCOMPARE(placeholder(&state, "textEdit_2"),
                 QString("Enter transition condition for initial state item"));
        QCOMPARE(placeholder(&state, "textEdit_3"),
                 QString("Paste code for initial state item transition here"));
        QCOMPARE(placeholder(&state, "textEdit_4"), QString("Write description for state item here"));
        QCOMPARE(child<QCheckBox>(&state, "checkBox")->text(), QString("Set Initial State"));
        QCOMPARE(child<QPushButton>(&state, "pushButton_3")->text(), QString("Auto"));
        QCOMPARE(child<QSpinBox>(&state, "spinBox")->maximum(), 850);
        QCOMPARE(child<QSpinBox>(&state, "spinBox_2")->maximum(), 500);
        QVERIFY(child<QLabel>(&state, "label_colour")->text().isEmpty());

        TransitionProperties transition;
        QCOMPARE(transition.windowTitle(), QString("Kestro - Transition Item Properties"));
        QCOMPARE(transition.minimumSize(), QSize(650, 720));
        QCOMPARE(tabTitles(&transition), QStringList({"Properties", "Description"}));
        QCOMPARE(placeholder(&transition, "lineEdit"), QString("Enter label for transition item"));
        QCOMPARE(placeholder(&transition, "lineEdit_2"), QString("Enter transition condition here"));
        QCOMPARE(placeholder(&transition, "textEdit"), QString("Paste code for transition item here"));
        QCOMPARE(placeholder(&transition, "textEdit_2"),
                 QString("Write description for transition item here"));
        QCOMPARE(child<QPushButton>(&transition, "pushButton_2")->text(), QString("Auto"));
        QCOMPARE(child<QSpinBox>(&transition, "spinBox")->maximum(), 600);
        QCOMPARE(child<QSpinBox>(&transition, "spinBox_2")->maximum(), 400);

        TextProperties text;
        QCOMPARE(text.windowTitle(), QString("Kestro - Text Item Properties"));
        QCOMPARE(tabTitles(&text), QStringList({"Properties"}));
        QCOMPARE(placeholder(&text, "textEdit"), QString("Paste code for text item here"));
        auto *combo = child<QComboBox>(&text, "comboBox");
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->itemText(0), QString("Default"));
        QCOMPARE(combo->itemText(1), QString("Includes"));
        QCOMPARE(combo->itemText(2), QString("Macros"));
        QCOMPARE(child<QPushButton>(&text, "pushButton")->text(), QString("Auto"));
        QCOMPARE(child<QSpinBox>(&text, "spinBox")->maximum(), 850);
        QCOMPARE(child<QSpinBox>(&text, "spinBox_2")->maximum(), 500);
        QVERIFY(!text.findChild<QLabel *>("label_colour"));

        ProcessProperties process;
        QCOMPARE(process.windowTitle(), QString("Kestro - Process Item Properties"));
        QCOMPARE(tabTitles(&process), QStringList({"Properties", "Description"}));
        QCOMPARE(placeholder(&process, "lineEdit"), QString("Enter label for process item"));
        QCOMPARE(placeholder(&process, "lineEdit_2"),
                 QString("Enter Meta information for process item if any"));
        QCOMPARE(placeholder(&process, "textEdit"), QString("Write description for process item here"));
        QCOMPARE(child<QRadioButton>(&process, "radioButton")->text(), QString("Rectangular"));
        QCOMPARE(child<QRadioButton>(&process, "radioButton_2")->text(), QString("Rounded"));
        QCOMPARE(child<QSpinBox>(&process, "spinBox")->maximum(), 9999);
        QCOMPARE(child<QSpinBox>(&process, "spinBox_2")->maximum(), 9999);

        LinkProperties link;
        MemoryProperties memory;
        DataflowProperties dataflow;
        QCOMPARE(link.windowTitle(), QString("Kestro - Link Item Properties"));
        QCOMPARE(memory.windowTitle(), QString("Memory Item Properties"));
        QCOMPARE(dataflow.windowTitle(), QString("Kestro - Dataflow Item Properties"));
        const QList<QDialog *> fixed = {&link, &memory, &dataflow};
        for (QDialog *d : fixed) {
            QCOMPARE(d->minimumSize(), QSize(592, 594));
            QCOMPARE(d->maximumSize(), QSize(592, 594));
            QCOMPARE(tabTitles(d), QStringList({"Properties", "Description"}));
        }
        QCOMPARE(placeholder(&link, "lineEdit"), QString("Enter label for link item"));
        QCOMPARE(placeholder(&link, "lineEdit_2"), QString("Enter dataype for link item"));
        QCOMPARE(placeholder(&link, "textEdit"), QString("Write description for link item here"));
        QCOMPARE(placeholder(&memory, "lineEdit"), QString("Enter variable name"));
        QCOMPARE(placeholder(&memory, "lineEdit_2"), QString("Enter datatype of variable"));
        QCOMPARE(placeholder(&memory, "textEdit"), QString("Write description for memory item here"));
        QCOMPARE(placeholder(&dataflow, "lineEdit"), QString("Enter label for global variable"));
        QCOMPARE(placeholder(&dataflow, "lineEdit_2"), QString("Enter dataype for global variable"));
        QCOMPARE(placeholder(&dataflow, "textEdit"),
                 QString("Write description for dataflow item here"));
    }

    void stateRefreshShowsFields()
    {
        StateProperties d;
        fillState(d);
        d.setInitialState(true);
        child<QTabWidget>(&d, "tabWidget")->setCurrentIndex(2);
        d.refresh();
        QCOMPARE(child<QTabWidget>(&d, "tabWidget")->currentIndex(), 0);
        QCOMPARE(child<QSpinBox>(&d, "spinBox")->value(), 300);
        QCOMPARE(child<QSpinBox>(&d, "spinBox_2")->value(), 160);
        QCOMPARE(child<QLineEdit>(&d, "lineEdit_2")->text(), QString("Idle"));
        QCOMPARE(child<QPlainTextEdit>(&d, "textEdit")->toPlainText(), QString("x = 1;"));
        QCOMPARE(child<QPlainTextEdit>(&d, "textEdit_2")->toPlainText(), QString("ready"));
        QCOMPARE(child<QPlainTextEdit>(&d, "textEdit_3")->toPlainText(), QString("init();"));
        QCOMPARE(child<QTextEdit>(&d, "textEdit_4")->toPlainText(), QString("waits"));
        QVERIFY(child<QCheckBox>(&d, "checkBox")->isChecked());
        QCOMPARE(swatchStyle(&d), QString("background-color:rgb(170,187,204);"));
    }

    void stateAcceptStoresWidgets()
    {
        ScriptedPrompter prompter;
        StateProperties d;
        fillState(d);
        d.refresh();
        // Only the non-sizing texts change, so the typed size is kept.
        child<QSpinBox>(&d, "spinBox")->setValue(420);
        child<QSpinBox>(&d, "spinBox_2")->setValue(230);
        child<QPlainTextEdit>(&d, "textEdit_2")->setPlainText("go == 1");
        child<QPlainTextEdit>(&d, "textEdit_3")->setPlainText("start();");
        child<QTextEdit>(&d, "textEdit_4")->setPlainText("new description");
        child<QCheckBox>(&d, "checkBox")->setChecked(true);
        prompter.colourAnswers.enqueue(QColor(10, 20, 30));
        pressSwatch(&d);
        QCOMPARE(swatchStyle(&d), QString("background-color:rgb(10,20,30);"));
        QCOMPARE(d.pickedColour(), QColor(10, 20, 30));

        QSignalSpy finished(&d, &QDialog::finished);
        clickOk(&d);
        QCOMPARE(finished.count(), 1);   // OK closes exactly once
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.width(), 420);
        QCOMPARE(d.height(), 230);
        QCOMPARE(d.label(), QString("Idle"));
        QCOMPARE(d.initialCondition(), QString("go == 1"));
        QCOMPARE(d.initialDescription(), QString("start();"));
        QCOMPARE(d.description(), QString("new description"));
        QVERIFY(d.isInitial());
        QCOMPARE(d.backgroundColour(), QColor(10, 20, 30));
    }

    void stateCancelKeepsFields()
    {
        ScriptedPrompter prompter;
        StateProperties d;
        fillState(d);
        d.setInitialState(true);
        d.refresh();
        child<QLineEdit>(&d, "lineEdit_2")->setText("Busy");
        child<QPlainTextEdit>(&d, "textEdit")->setPlainText("y = 2;");
        child<QSpinBox>(&d, "spinBox")->setValue(700);
        child<QTextEdit>(&d, "textEdit_4")->setPlainText("other");
        child<QCheckBox>(&d, "checkBox")->setChecked(false);
        prompter.colourAnswers.enqueue(QColor(1, 1, 1));
        pressSwatch(&d);
        child<QPushButton>(&d, "pushButton_3")->click();

        QSignalSpy finished(&d, &QDialog::finished);
        clickCancel(&d);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(d.label(), QString("Idle"));
        QCOMPARE(d.action(), QString("x = 1;"));
        QCOMPARE(d.width(), 300);
        QCOMPARE(d.height(), 160);
        QCOMPARE(d.description(), QString("waits"));
        QCOMPARE(d.backgroundColour(), QColor("#aabbcc"));
        QVERIFY(d.isInitial());
    }

    void cancelledChooserKeepsTheColour()
    {
        ScriptedPrompter prompter;   // no answer queued: the chooser is cancelled
        TransitionProperties d;
        d.setBackgroundColour(QColor(200, 100, 50));
        d.setPickedColour(QColor(200, 100, 50));
        d.refresh();
        QCOMPARE(swatchStyle(&d), QString("background-color:rgb(200,100,50);"));
        pressSwatch(&d);
        // It opened on the colour shown, and cancelling it keeps that colour.
        QCOMPARE(prompter.colourRequests, QList<QColor>({QColor(200, 100, 50)}));
        QCOMPARE(d.pickedColour(), QColor(200, 100, 50));
        QCOMPARE(swatchStyle(&d), QString("background-color:rgb(200,100,50);"));
        // Releases and other events on the swatch do not open the chooser.
        prompter.colourAnswers.enqueue(QColor(9, 9, 9));
        QTest::mouseRelease(child<QLabel>(&d, "label_colour"), Qt::LeftButton);
        QCOMPARE(d.pickedColour(), QColor(200, 100, 50));
        prompter.colourAnswers.clear();
        clickOk(&d);
        QCOMPARE(d.backgroundColour(), QColor(200, 100, 50));
    }

    // A text change keeps the sizes the user set: typed together with it
    // they are taken as typed; left alone, the item keeps its size and only
    // grows where the new text needs more room.
    void stateTextChangeKeepsSizesTheUserSet()
    {
        StateProperties d;
        fillState(d);
        d.refresh();
        const QString label(120, QLatin1Char('W'));
        child<QLineEdit>(&d, "lineEdit_2")->setText(label);
        child<QSpinBox>(&d, "spinBox")->setValue(333);
        child<QSpinBox>(&d, "spinBox_2")->setValue(444);
        clickOk(&d);
        QCOMPARE(QSize(d.width(), d.height()), QSize(333, 444));
        QCOMPARE(d.label(), label);

        // A changed action alone grows the box to fit, keeping what fits.
        d.refresh();
        child<QPlainTextEdit>(&d, "textEdit")->setPlainText("a;\nb;\nc;\nd;\ne;\nf;\ng;\nh;\ni;\nj;\nk;");
        clickOk(&d);
        const QSize fit = stateAutoSize(label, d.action(), textMetrics(DiagramFont::font()));
        QCOMPARE(QSize(d.width(), d.height()), QSize(333, 444).expandedTo(fit));
        d.refresh();
        child<QSpinBox>(&d, "spinBox")->setValue(333);
        clickOk(&d);
        QCOMPARE(d.width(), 333);

        // A state made 450 wide keeps its width when it gets a short label.
        d.refresh();
        child<QSpinBox>(&d, "spinBox")->setValue(450);
        child<QPlainTextEdit>(&d, "textEdit")->setPlainText("x = 1;");
        clickOk(&d);
        QCOMPARE(d.width(), 450);
        d.refresh();
        child<QLineEdit>(&d, "lineEdit_2")->setText(QStringLiteral("Go"));
        clickOk(&d);
        QCOMPARE(d.label(), QStringLiteral("Go"));
        QCOMPARE(d.width(), 450);
    }

    void stateAutoButtonSizesEditorTexts()
    {
        StateProperties d;
        fillState(d);
        d.refresh();
        const QString action = QStringList(QVector<QString>(14, "step();").toList()).join('\n');
        child<QLineEdit>(&d, "lineEdit_2")->setText("Running");
        child<QPlainTextEdit>(&d, "textEdit")->setPlainText(action);
        child<QPushButton>(&d, "pushButton_3")->click();
        const QSize expected = stateAutoSize("Running", action, textMetrics(DiagramFont::font()));
        QCOMPARE(d.autoWidth(), expected.width());
        QCOMPARE(d.autoHeight(), expected.height());
        QCOMPARE(child<QSpinBox>(&d, "spinBox")->value(), expected.width());
        QCOMPARE(child<QSpinBox>(&d, "spinBox_2")->value(), expected.height());
        // The fields wait for OK.
        QCOMPARE(d.label(), QString("Idle"));
        QCOMPARE(d.width(), 300);

        // autoSize() works on the fields, for items fitting themselves.
        d.autoSize(TextMetrics{7.0, 16.0});
        QCOMPARE(QSize(d.autoWidth(), d.autoHeight()), QSize(280, 150));
    }

    void initialLockedBoxCannotBeChecked()
    {
        StateProperties d;
        fillState(d);
        d.setInitialLocked(true);
        d.refresh();
        auto *box = child<QCheckBox>(&d, "checkBox");
        QVERIFY(d.initialLocked());
        QVERIFY(!box->isCheckable());
        QVERIFY(!child<QPlainTextEdit>(&d, "textEdit_2")->isEnabled());
        QVERIFY(!child<QPlainTextEdit>(&d, "textEdit_3")->isEnabled());
        box->click();
        QVERIFY(!box->isChecked());
        clickOk(&d);
        QVERIFY(!d.isInitial());

        // Unlocked again, the box and editors work.
        d.setInitialLocked(false);
        d.refresh();
        QVERIFY(!d.initialLocked());
        QVERIFY(box->isCheckable());
        QVERIFY(child<QPlainTextEdit>(&d, "textEdit_2")->isEnabled());
        box->click();
        QVERIFY(box->isChecked());
        clickOk(&d);
        QVERIFY(d.isInitial());

        // setInitialState follows the box both ways.
        d.setInitialState(false);
        QVERIFY(!box->isChecked());
        QVERIFY(!d.isInitial());
    }

    void execReturnsResultOfButtons()
    {
        StateProperties d;
        fillState(d);
        d.refresh();
        QTimer::singleShot(0, &d, [&d] {
            child<QLineEdit>(&d, "lineEdit_2")->setText("Run");
            clickOk(&d);
        });
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QCOMPARE(d.label(), QString("Run"));

        d.refresh();
        QTimer::singleShot(0, &d, [&d] {
            child<QLineEdit>(&d, "lineEdit_2")->setText("Stop");
            clickCancel(&d);
        });
        QCOMPARE(d.exec(), int(QDialog::Rejected));
        QCOMPARE(d.label(), QString("Run"));
    }

    void transitionAcceptAndAutoSize()
    {
        ScriptedPrompter prompter;
        TransitionProperties d;
        d.setWidth(200);
        d.setHeight(100);
        d.setLabel("T1");
        d.setCondition("a > 0");
        d.setAction("a--;");
        d.setDescription("d");
        d.refresh();
        QCOMPARE(child<QPlainTextEdit>(&d, "lineEdit_2")->toPlainText(), QString("a > 0"));

        // Sizes only: kept as typed.
        child<QSpinBox>(&d, "spinBox")->setValue(590);
        child<QSpinBox>(&d, "spinBox_2")->setValue(390);
        child<QTextEdit>(&d, "textEdit_2")->setPlainText("desc");
        prompter.colourAnswers.enqueue(QColor(7, 8, 9));
        pressSwatch(&d);
        clickOk(&d);
        QCOMPARE(QSize(d.width(), d.height()), QSize(590, 390));
        QCOMPARE(d.description(), QString("desc"));
        QCOMPARE(d.backgroundColour(), QColor(7, 8, 9));

        // A changed condition: the typed width is taken, the height left
        // alone grows only where the text needs it.
        d.refresh();
        const QString condition(90, QLatin1Char('c'));
        child<QPlainTextEdit>(&d, "lineEdit_2")->setPlainText(condition);
        child<QSpinBox>(&d, "spinBox")->setValue(160);
        clickOk(&d);
        QCOMPARE(d.condition(), condition);
        const QSize fit = transitionAutoSize("T1", condition, "a--;", textMetrics(DiagramFont::font()));
        QCOMPARE(QSize(d.width(), d.height()), QSize(160, qMax(390, fit.height())));

        // The Auto button sizes the editors' texts without storing them.
        d.refresh();
        child<QPlainTextEdit>(&d, "textEdit")->setPlainText("1;\n2;\n3;\n4;\n5;\n6;");
        child<QPushButton>(&d, "pushButton_2")->click();
        const QSize expected = transitionAutoSize("T1", condition, "1;\n2;\n3;\n4;\n5;\n6;",
                                                  textMetrics(DiagramFont::font()));
        QCOMPARE(child<QSpinBox>(&d, "spinBox_2")->value(), expected.height());
        QCOMPARE(d.action(), QString("a--;"));
        clickCancel(&d);
        QCOMPARE(d.action(), QString("a--;"));
        QCOMPARE(d.condition(), condition);
    }

    void textTypeAndSize()
    {
        TextProperties d;
        d.setWidth(200);
        d.setHeight(100);
        d.setAction("#include <stdio.h>");
        d.setTextType(0);
        d.refresh();
        auto *combo = child<QComboBox>(&d, "comboBox");
        QCOMPARE(combo->currentIndex(), 0);

        combo->setCurrentText("Includes");
        clickOk(&d);
        QCOMPARE(d.textType(), 1);
        QCOMPARE(QSize(d.width(), d.height()), QSize(200, 100));   // text unchanged

        d.refresh();
        QCOMPARE(combo->currentIndex(), 1);
        combo->setCurrentText("Macros");
        const QString text = "#define A 1\n#define B 2\n#define C 3";
        child<QPlainTextEdit>(&d, "textEdit")->setPlainText(text);
        child<QSpinBox>(&d, "spinBox")->setValue(800);
        clickOk(&d);
        QCOMPARE(d.textType(), 2);
        QCOMPARE(d.action(), text);
        QCOMPARE(QSize(d.width(), d.height()),
                 QSize(800, qMax(100, textAutoSize(text, textMetrics(DiagramFont::font())).height())));

        // An unknown type leaves the combo box where it was.
        d.setTextType(7);
        d.refresh();
        QCOMPARE(combo->currentIndex(), 2);

        // Cancel keeps type and text.
        d.setTextType(2);
        d.refresh();
        combo->setCurrentIndex(0);
        child<QPlainTextEdit>(&d, "textEdit")->setPlainText("gone");
        child<QPushButton>(&d, "pushButton")->click();
        QCOMPARE(child<QSpinBox>(&d, "spinBox_2")->value(),
                 textAutoSize("gone", textMetrics(DiagramFont::font())).height());
        clickCancel(&d);
        QCOMPARE(d.textType(), 2);
        QCOMPARE(d.action(), text);
    }

    // The module style is offered for a state machine's process item only
    // and taken on OK.
    void processModuleStyle()
    {
        ScriptedPrompter prompter;
        ProcessProperties d;
        d.setLabel("Tcp");
        d.setCodeStyle("instance");
        d.setCodeStyleShown(true);
        d.refresh();
        d.show();
        auto *box = child<QComboBox>(&d, "comboBox_style");
        QVERIFY(box->isVisible());
        QCOMPARE(box->currentIndex(), 2);
        box->setCurrentIndex(0);
        clickCancel(&d);
        QCOMPARE(d.codeStyle(), QString("instance"));
        d.refresh();
        box->setCurrentIndex(1);
        clickOk(&d);
        QCOMPARE(d.codeStyle(), QString("classic"));
        d.refresh();
        box->setCurrentIndex(0);
        clickOk(&d);
        QCOMPARE(d.codeStyle(), QString());
        d.setCodeStyleShown(false);
        d.refresh();
        QVERIFY(!box->isVisible());
    }

    void processShapeAndSizes()
    {
        ScriptedPrompter prompter;
        ProcessProperties d;
        d.setLabel("Motor");
        d.setCode("m1");
        d.setDescription("drives");
        d.setWidth(200);
        d.setHeight(120);
        d.setShape(2);
        d.refresh();
        QVERIFY(child<QRadioButton>(&d, "radioButton_2")->isChecked());
        QCOMPARE(child<QLineEdit>(&d, "lineEdit_2")->text(), QString("m1"));

        // Cancel keeps everything.
        child<QRadioButton>(&d, "radioButton")->setChecked(true);
        child<QLineEdit>(&d, "lineEdit")->setText("Pump");
        clickCancel(&d);
        QCOMPARE(d.shape(), 2);
        QCOMPARE(d.label(), QString("Motor"));

        // Process sizes are not capped like boxed text items.
        d.refresh();
        child<QRadioButton>(&d, "radioButton")->setChecked(true);
        child<QLineEdit>(&d, "lineEdit")->setText("Pump");
        child<QLineEdit>(&d, "lineEdit_2")->setText("p2");
        child<QTextEdit>(&d, "textEdit")->setPlainText("pumps");
        child<QSpinBox>(&d, "spinBox")->setValue(2000);
        child<QSpinBox>(&d, "spinBox_2")->setValue(1500);
        prompter.colourAnswers.enqueue(QColor(0, 128, 255));
        pressSwatch(&d);
        clickOk(&d);
        QCOMPARE(d.shape(), 1);
        QCOMPARE(d.label(), QString("Pump"));
        QCOMPARE(d.code(), QString("p2"));
        QCOMPARE(d.description(), QString("pumps"));
        QCOMPARE(QSize(d.width(), d.height()), QSize(2000, 1500));
        QCOMPARE(d.backgroundColour(), QColor(0, 128, 255));

        // Any shape other than 1 shows as rounded.
        d.setShape(5);
        d.refresh();
        QVERIFY(child<QRadioButton>(&d, "radioButton_2")->isChecked());
        d.setShape(1);
        d.refresh();
        QVERIFY(child<QRadioButton>(&d, "radioButton")->isChecked());
    }

    void linkMemoryDataflow()
    {
        checkLabelDatatypeDialog<LinkProperties>();
        checkLabelDatatypeDialog<MemoryProperties>();
        checkLabelDatatypeDialog<DataflowProperties>();
    }
};

QTEST_MAIN(TestPropertyDialogs)
#include "tst_propertydialogs.moc"
