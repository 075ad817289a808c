#pragma once

// The learner records: settings, users and their books, the due words and their progress.
#include "model/Config.h"
#include "model/Prompts.h"
#include "model/StringList.h"
#include "model/User.h"
#include "model/Word.h"
