#pragma once

// Property dialog of a link between two process items: label, datatype, description and
// background colour, on its own form.

#include "LabelledPropertiesDialog.h"

namespace Ui {
class LinkProperties;
}

class LinkProperties : public LabelledPropertiesDialog
{
    Q_OBJECT

public:
    explicit LinkProperties(QWidget *parent = nullptr);
    ~LinkProperties() override;

private:
    Ui::LinkProperties *ui;
};
