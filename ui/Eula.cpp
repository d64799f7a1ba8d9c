#include "Eula.h"
#include "ui_Eula.h"

#include <QFile>

Eula::Eula(QWidget *parent)
    : QDialog(parent)
    , m_ui(new Ui::Eula)
{
    m_ui->setupUi(this);
    m_ui->textEdit->setText(agreementText());
}

Eula::~Eula()
{
    delete m_ui;
}

QString Eula::agreementText()
{
    QFile file(QStringLiteral(":/EULA.html"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

void Eula::on_pushButton_clicked()
{
    close();
}
