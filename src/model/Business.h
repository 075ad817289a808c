#pragma once

// The learner records: settings, users and their books, the due words and their progress.
#include "Config.h"
#include "Prompts.h"
#include "StringList.h"
#include "User.h"
#include "Word.h"
