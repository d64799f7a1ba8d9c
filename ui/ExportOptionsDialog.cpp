#include "ExportOptionsDialog.h"
#include "ui_ExportOptionsDialog.h"

namespace {

// The format box lists the formats in this order.
const QList<ExportOptions::Format> kFormats = {ExportOptions::Format::Svg, ExportOptions::Format::Png,
                                               ExportOptions::Format::Pdf};

} // namespace

const QList<QPageSize::PageSizeId> &ExportOptionsDialog::papers()
{
    static const QList<QPageSize::PageSizeId> list = {QPageSize::A4, QPageSize::A3, QPageSize::Letter,
                                                      QPageSize::Legal};
    return list;
}

ExportOptionsDialog::ExportOptionsDialog(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::ExportOptionsDialog>())
{
    ui->setupUi(this);
    ui->pageBox->addItem(QStringLiteral("Fit to the diagram"));
    for (QPageSize::PageSizeId paper : papers())
        ui->pageBox->addItem(QPageSize::name(paper));
    connect(ui->formatBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &ExportOptionsDialog::enableForFormat);
    enableForFormat();
}

ExportOptionsDialog::~ExportOptionsDialog() = default;

void ExportOptionsDialog::prepare(bool allDiagrams)
{
    m_allDiagrams = allDiagrams;
    setWindowTitle(allDiagrams ? QStringLiteral("Export All Diagrams") : QStringLiteral("Export Diagram"));
    enableForFormat();
    adjustSize();
}

void ExportOptionsDialog::enableForFormat()
{
    const ExportOptions::Format format = kFormats.value(ui->formatBox->currentIndex());
    const bool png = format == ExportOptions::Format::Png;
    const bool pdf = format == ExportOptions::Format::Pdf;
    ui->scaleBox->setEnabled(png);
    ui->scaleLabel->setEnabled(png);
    ui->backgroundBox->setEnabled(png);
    ui->backgroundLabel->setEnabled(png);
    ui->pageBox->setEnabled(pdf);
    ui->pageLabel->setEnabled(pdf);
    ui->onePdfBox->setVisible(m_allDiagrams);
    ui->onePdfBox->setEnabled(pdf);
}

ExportOptions ExportOptionsDialog::options() const
{
    ExportOptions options;
    options.format = kFormats.value(ui->formatBox->currentIndex());
    options.scale = ui->scaleBox->value();
    options.transparent = ui->backgroundBox->currentIndex() == 1;
    const int page = ui->pageBox->currentIndex();
    options.page = page > 0 ? ExportOptions::Page::Paper : ExportOptions::Page::FitItems;
    if (page > 0)
        options.paper = papers().value(page - 1);
    return options;
}

void ExportOptionsDialog::setOptions(const ExportOptions &options)
{
    ui->formatBox->setCurrentIndex(qMax(0, kFormats.indexOf(options.format)));
    ui->scaleBox->setValue(options.scale);
    ui->backgroundBox->setCurrentIndex(options.transparent ? 1 : 0);
    const int paper = papers().indexOf(options.paper);
    ui->pageBox->setCurrentIndex(options.page == ExportOptions::Page::Paper && paper >= 0 ? paper + 1 : 0);
    enableForFormat();
}

bool ExportOptionsDialog::onePdf() const
{
    return m_allDiagrams && ui->onePdfBox->isChecked()
           && options().format == ExportOptions::Format::Pdf;
}

QComboBox *ExportOptionsDialog::formatBox() const { return ui->formatBox; }
QSpinBox *ExportOptionsDialog::scaleBox() const { return ui->scaleBox; }
QComboBox *ExportOptionsDialog::backgroundBox() const { return ui->backgroundBox; }
QComboBox *ExportOptionsDialog::pageBox() const { return ui->pageBox; }
QCheckBox *ExportOptionsDialog::onePdfBox() const { return ui->onePdfBox; }
