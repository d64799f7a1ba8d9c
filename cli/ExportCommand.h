#pragma once

// kestro-cli export PROJECT -o DIR [--format svg|png|pdf] [--scale N] ...
//
// Pictures need the GUI libraries, which kestro-cli does not load; export
// runs kestro-render (next to kestro-cli's own program first, else on the
// PATH) on the offscreen platform with the same arguments, passing its
// output and exit status through. See render/RenderOptions.h for the
// options and render/main.cpp for the exit codes; 69 when kestro-render
// cannot be found or started, 70 when it crashed.

#include <QString>
#include <QStringList>

namespace ExportCommand {

// The kestro-render program to run; empty when there is none.
QString rendererPath();

// `arguments` as the program got them ("kestro-cli", "export", ...).
int run(const QStringList &arguments);

} // namespace ExportCommand
