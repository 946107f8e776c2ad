// What assistive tools are told about the windows: each window's role (an application
// window a frame, every other one a dialog) with its caption as name, a name for every
// control from its label or its purpose, and only the controls that are shown.
#pragma once

#include "platform/core/Resources.h"

struct Window;

// Names a control just built from its template, whose other items may label it; the first
// call also lets windows answer with their role. It changes nothing that is shown.
void MakeAccessible(Window* control, const DialogItemTemplate& item, const ResourceTable<DialogItemTemplate>& items);
