#pragma once

// Property dialog of a state: size, label, entry, action and exit code, the initial-state
// flag with the initial transition's condition and action, whether the
// state holds a sub-machine and how it enters it, description and
// background colour. The owning item fills the fields, calls refresh() and
// exec(), and reads the fields back only when the dialog was accepted.

#include "AutoSize.h"
#include "LabelCheck.h"

#include <QColor>
#include <QDialog>
#include <QString>

#include <memory>

class SizeFields;

namespace Ui {
class StateProperties;
}

class StateProperties : public QDialog
{
    Q_OBJECT

public:
    explicit StateProperties(QWidget *parent = nullptr);
    ~StateProperties() override;

    int width() const { return m_width; }
    void setWidth(int width) { m_width = width; }
    int height() const { return m_height; }
    void setHeight(int height) { m_height = height; }
    QString label() const { return m_label; }
    void setLabel(const QString &label) { m_label = label; }
    QString action() const { return m_action; }
    void setAction(const QString &action) { m_action = action; }
    QString entryAction() const { return m_entryAction; }
    void setEntryAction(const QString &code) { m_entryAction = code; }
    QString exitAction() const { return m_exitAction; }
    void setExitAction(const QString &code) { m_exitAction = code; }
    QString description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    QString initialDescription() const { return m_initialDescription; }
    void setInitialDescription(const QString &text) { m_initialDescription = text; }
    QString initialCondition() const { return m_initialCondition; }
    void setInitialCondition(const QString &text) { m_initialCondition = text; }
    QColor backgroundColour() const { return m_backgroundColour; }
    void setBackgroundColour(const QColor &colour) { m_backgroundColour = colour; }
    QColor pickedColour() const { return m_pickedColour; }
    void setPickedColour(const QColor &colour) { m_pickedColour = colour; }

    // The "Set Initial State" box: the flag and the box follow each other.
    bool isInitial() const { return m_initial; }
    void setInitialState(bool initial);
    // Another state (initialLabel) is already initial: the box cannot be
    // checked, is shown disabled and its tooltip says why.
    bool initialLocked() const { return m_initialLocked; }
    void setInitialLocked(bool locked, const QString &initialLabel = QString());

    // The "Sub-machine" and "Resume where it was left" boxes as the state's
    // subMachine field (empty, SubMachineStart or SubMachineResume).
    QString subMachine() const { return m_subMachine; }
    void setSubMachine(const QString &mode) { m_subMachine = mode; }
    // Whether a state of this diagram may get a sub-machine (not on the
    // deepest level); `why` is the disabled box's tooltip. A state that
    // holds one can always lose it.
    void setSubMachineAllowed(bool allowed, const QString &why = QString());

    // Size that fits label and body (action with entry and exit actions, see
    // stateAutoSize and stateBodyText), into autoWidth/autoHeight.
    void autoSize();
    void autoSize(const TextMetrics &metrics);
    // The metrics of the font the item's diagram draws with (by default
    // the application's); autoSize() and the size on OK use them.
    void setMetrics(const TextMetrics &metrics) { m_metrics = metrics; }
    int autoWidth() const { return m_autoWidth; }
    int autoHeight() const { return m_autoHeight; }

    // Asked on OK whether the entered label may be taken; a refusal keeps
    // the dialog open. None by default.
    void setLabelCheck(const LabelCheck &check) { m_labelCheck = check; }

    // Loads the widgets from the fields and paints the colour swatch.
    void refresh();

    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void on_checkBox_stateChanged(int state);
    void on_pushButton_3_clicked();
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    void setInitialEditorsEnabled(bool enabled);
    void showSubMachineBoxes();
    void showInitialBoxLocked(bool locked);
    void clearFlags();

    Ui::StateProperties *ui;
    TextMetrics m_metrics;
    std::unique_ptr<SizeFields> m_size;
    LabelCheck m_labelCheck;
    int m_width = 0;
    int m_height = 0;
    QString m_label;
    QString m_action;
    QString m_entryAction;
    QString m_exitAction;
    QString m_description;
    QString m_subMachine;
    QString m_subMachineRefusal;   // why the box is off; empty while it is offered
    QString m_initialDescription;
    QString m_initialCondition;
    QColor m_backgroundColour;
    QColor m_pickedColour;
    int m_autoWidth = 0;
    int m_autoHeight = 0;
    bool m_initial = false;
    bool m_initialAtRefresh = false;
    bool m_initialLocked = false;
    QString m_initialLabel;   // the state that is initial while the box is locked
    bool m_textEdited = false;
};
