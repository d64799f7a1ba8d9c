#pragma once

// The command line of `kestro-cli export` (run as kestro-render):
//
//   kestro-cli export PROJECT -o DIR [--format svg|png|pdf] [--scale N]
//              [--background white|transparent] [--paper SIZE] [--one-pdf]
//              [--diagram PATH]

#include "ExportOptions.h"

#include <QString>
#include <QStringList>

struct RenderOptions
{
    QString project;
    QString outputDirectory;
    QString diagram;        // empty: every diagram
    bool onePdf = false;    // every diagram as a page of one PDF
    ExportOptions picture;

    // Parses the arguments after "export"; returns Cli::Success or the
    // exit code of a usage error, already reported. --help and --version
    // print and exit.
    int parse(const QStringList &arguments);
};
