#pragma once

// Property dialog of a dataflow between a process and a memory item: label, datatype, description and
// background colour, on its own form.

#include "LabelledPropertiesDialog.h"

namespace Ui {
class DataflowProperties;
}

class DataflowProperties : public LabelledPropertiesDialog
{
    Q_OBJECT

public:
    explicit DataflowProperties(QWidget *parent = nullptr);
    ~DataflowProperties() override;

private:
    Ui::DataflowProperties *ui;
};
