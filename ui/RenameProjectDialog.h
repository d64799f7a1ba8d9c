#pragma once

// The small dialog of the Rename Project command: one line edit preset with
// the current project name, OK and Cancel. The main window creates it once
// and reuses it.

#include <QDialog>

#include <memory>

class QLineEdit;

namespace Ui {
class RenameProjectDialog;
}

class RenameProjectDialog : public QDialog
{
    Q_OBJECT

public:
    explicit RenameProjectDialog(QWidget *parent = nullptr);
    ~RenameProjectDialog() override;

    QString projectName() const;
    // Presets the line edit and takes away an earlier red border.
    void setProjectName(const QString &name);
    // Outlines the line edit in red to show the name was refused.
    void markInvalid();

    QLineEdit *lineEdit() const;

private:
    std::unique_ptr<Ui::RenameProjectDialog> ui;
};
