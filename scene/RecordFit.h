#pragma once

// Grows the boxes of records (states, transitions, text items) whose texts
// do not fit them, before the records are drawn: a new project's boxes are
// sized for the font they will be shown in. Boxes never shrink; a grown
// box keeps its centre.

#include "AutoSize.h"
#include "ProjectDocument.h"

void growBoxesToTexts(ProjectDocument &document, const TextMetrics &metrics);
void growBoxesToTexts(CanvasBlock &block, const TextMetrics &metrics);
