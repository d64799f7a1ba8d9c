#pragma once

// Something the loader has to tell the user about one record of a project
// file: either the record could not be placed (its item is not created and
// so is not kept when the project is saved again), or its label does not
// tell it apart from other items on its diagram, or the reader passed over
// an element or attribute it does not know (saving over the file drops it).
// QtCore only.

#include <QString>
#include <QVector>

struct LoadNote
{
    enum class Effect
    {
        NotKept,     // the record makes no item; saving drops it for good
        Ambiguous,   // the item is there, but connections by label may go elsewhere
        Unknown,     // the file holds something this version does not read; saving drops it
    };

    Effect effect = Effect::NotKept;
    // "State", "Transition", "Text item", "Link", "Memory item", "Dataflow",
    // "Process item"; "Element" or "Attribute" for what is not known
    QString kind;
    QString label;     // the record's label (empty for text items); the unknown name
    QString diagram;   // name of the diagram it belongs on, empty when there is none
    QString reason;

    // One line: "Transition 'Go' on 'Door': no state labelled 'Open'".
    QString text() const;
};

using LoadNotes = QVector<LoadNote>;

// The notes' texts in order, optionally only those with one effect.
QStringList loadNoteTexts(const LoadNotes &notes);
int countNotes(const LoadNotes &notes, LoadNote::Effect effect);
