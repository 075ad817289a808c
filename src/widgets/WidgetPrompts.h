#pragma once

// Installs the real message boxes, the general error report and the busy cursor behind the
// seams of Prompts.h. The error report shows one box at a time: a report that arrives while
// its box is open is dropped, so a repeating failure cannot stack boxes.
void InstallWidgetPrompts();
