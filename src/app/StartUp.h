#pragma once

#include "Prompts.h"

#include <QString>

// Whether the program folder holds a database the program can work with. When it does not,
// *refusal is the message to show before the program ends without a window.
bool CheckProgramFolder(const QString& dir, TMessage* refusal);
