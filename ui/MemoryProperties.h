#pragma once

// Property dialog of a memory item (a shared variable): label, datatype, description and
// background colour, on its own form.

#include "LabelledPropertiesDialog.h"

namespace Ui {
class MemoryProperties;
}

class MemoryProperties : public LabelledPropertiesDialog
{
    Q_OBJECT

public:
    explicit MemoryProperties(QWidget *parent = nullptr);
    ~MemoryProperties() override;

private:
    Ui::MemoryProperties *ui;
};
