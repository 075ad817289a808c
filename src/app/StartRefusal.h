#pragma once

#include "model/Prompts.h"

#include "backup/platform/DataFolder.h"

// A start refused for its data: the message names the data folder and the ways out, is
// shown above every window and written to standard error (a start from the menu has no
// terminal, one from a terminal may have no eye on the screen).
void RefuseStart(TMessage refusal, const TDataFolder& folder);
