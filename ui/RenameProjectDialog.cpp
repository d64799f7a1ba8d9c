#include "RenameProjectDialog.h"
#include "ui_RenameProjectDialog.h"

namespace {
const QString kInvalidStyle = QStringLiteral("border: 1px solid red");
} // namespace

RenameProjectDialog::RenameProjectDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::RenameProjectDialog>())
{
    ui->setupUi(this);
    setMaximumHeight(118);
}

RenameProjectDialog::~RenameProjectDialog() = default;

QString RenameProjectDialog::projectName() const
{
    return ui->lineEdit->text();
}

void RenameProjectDialog::setProjectName(const QString &name)
{
    ui->lineEdit->setStyleSheet(QString());
    ui->lineEdit->setText(name);
}

void RenameProjectDialog::markInvalid()
{
    ui->lineEdit->setStyleSheet(kInvalidStyle);
}

QLineEdit *RenameProjectDialog::lineEdit() const
{
    return ui->lineEdit;
}
