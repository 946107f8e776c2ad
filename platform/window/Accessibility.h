// What assistive tools are told about the windows: each window's role (an application
// window a frame, every other one a dialog) with its caption as name, a name for every
// control from its label or its purpose, only the controls that are shown, and the news of
// a new date where the user's focus is.
#pragma once

#include "platform/core/Resources.h"

struct Window;

// Names a control just built from its template, whose other items may label it; the first
// call also lets windows answer with their role. It changes nothing that is shown.
void MakeAccessible(Window* control, const DialogItemTemplate& item, const ResourceTable<DialogItemTemplate>& items);
// After the user changed the date of a window with a reading, the date field describes the
// reading's opening and the reading its date and opening: a screen reader speaks a change of
// description on the control that has the focus, and only there, so the news is heard
// wherever the user is.
void DescribeNewDate(Window* dateField);
