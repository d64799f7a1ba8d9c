#include "ScriptedPrompter.h"

#include <QtTest>

// The scripted prompter is what every other GUI test relies on to answer
// boxes; make sure it installs itself and falls back to sensible answers.
class TestPrompter : public QObject
{
    Q_OBJECT
private slots:
    void installsAndRestores()
    {
        Prompter *before = Prompter::current();
        {
            ScriptedPrompter p;
            QCOMPARE(Prompter::current(), static_cast<Prompter *>(&p));
            p.messageAnswers.enqueue(QMessageBox::Discard);
            MessageRequest r;
            r.buttons = QMessageBox::Save | QMessageBox::Discard;
            r.defaultButton = QMessageBox::Save;
            QCOMPARE(Prompter::current()->message(nullptr, r), QMessageBox::Discard);
            QCOMPARE(Prompter::current()->message(nullptr, r), QMessageBox::Save);
            r.defaultButton = QMessageBox::NoButton;
            r.buttons = QMessageBox::Yes | QMessageBox::No;
            QCOMPARE(Prompter::current()->message(nullptr, r), QMessageBox::No);
            QCOMPARE(Prompter::critical(nullptr, "Kestro", "x"), QMessageBox::Ok);
            QCOMPARE(p.messages.size(), 4);
            QCOMPARE(p.messages.last().icon, QMessageBox::Critical);
        }
        QCOMPARE(Prompter::current(), before);
    }
};

QTEST_MAIN(TestPrompter)
#include "tst_prompter.moc"
