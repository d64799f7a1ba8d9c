#include "RenderOptions.h"

#include "CliSupport.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdlib>

namespace {

bool paperFromName(const QString &name, QPageSize::PageSizeId *paper)
{
    for (int id = 0; id <= QPageSize::LastPageSize; ++id) {
        const auto size = static_cast<QPageSize::PageSizeId>(id);
        if (size != QPageSize::Custom && QPageSize::key(size).compare(name, Qt::CaseInsensitive) == 0) {
            *paper = size;
            return true;
        }
    }
    return false;
}

} // namespace

int RenderOptions::parse(const QStringList &arguments)
{
    using namespace Cli;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Draws the diagrams of a Kestro project into picture files, one per diagram, named by "
        "its path in the project (Project/Module/Machine.svg), without a display."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption output({"o", "output"}, "Write the files into DIR (created if missing).", "DIR");
    const QCommandLineOption format("format", "svg (default), png or pdf.", "FORMAT", "svg");
    const QCommandLineOption scale("scale", "PNG: pixels per diagram unit, 1 (default) to 4.", "N", "1");
    const QCommandLineOption background("background", "PNG: white (default) or transparent.", "COLOUR", "white");
    const QCommandLineOption paper("paper", "PDF: fit each diagram to a page of this paper size (A4, Letter, ...) "
                                            "instead of a page the size of the diagram.", "SIZE");
    const QCommandLineOption onePdfOption("one-pdf", "PDF: write every diagram as a page of one file, PROJECT.pdf, "
                                               "each page titled with the diagram's path.");
    const QCommandLineOption diagramOption("diagram", "Only the diagram at PATH, e.g. 'Example_1/Motor Controller'.", "PATH");
    parser.addOptions({output, format, scale, background, paper, onePdfOption, diagramOption});
    parser.addPositionalArgument("project", "The project file (.qsmd).");

    if (!parser.parse(QStringList{QStringLiteral("kestro-cli export")} + arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        // Users run this through kestro-cli; the help names that command.
        QString text = parser.helpText();
        text.replace(QCoreApplication::arguments().value(0), QStringLiteral("kestro-cli export"));
        out() << text;
        out().flush();
        ::exit(Success);
    }
    if (parser.isSet(version))
        parser.showVersion();

    const QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return usageError(QStringLiteral("missing project file"));
    if (args.size() > 1)
        return usageError(QStringLiteral("unexpected argument '%1'").arg(args.at(1)));
    project = args.at(0);
    outputDirectory = parser.value(output);
    if (outputDirectory.isEmpty())
        return usageError(QStringLiteral("missing -o DIR"));
    if (!ExportOptions::formatFromSuffix(parser.value(format), &picture.format))
        return usageError(QStringLiteral("unknown format '%1'; use svg, png or pdf").arg(parser.value(format)));
    bool ok = false;
    picture.scale = parser.value(scale).toInt(&ok);
    if (!ok || picture.scale < ExportOptions::MinScale || picture.scale > ExportOptions::MaxScale)
        return usageError(QStringLiteral("--scale needs a whole number from 1 to 4, not '%1'").arg(parser.value(scale)));
    const QString colour = parser.value(background);
    if (colour != QLatin1String("white") && colour != QLatin1String("transparent"))
        return usageError(QStringLiteral("--background is white or transparent, not '%1'").arg(colour));
    picture.transparent = colour == QLatin1String("transparent");
    if (parser.isSet(paper)) {
        if (!paperFromName(parser.value(paper), &picture.paper))
            return usageError(QStringLiteral("unknown paper size '%1'").arg(parser.value(paper)));
        picture.page = ExportOptions::Page::Paper;
    }
    onePdf = parser.isSet(onePdfOption);
    if (onePdf && picture.format != ExportOptions::Format::Pdf)
        return usageError(QStringLiteral("--one-pdf needs --format pdf"));
    diagram = parser.value(diagramOption);
    return Success;
}
