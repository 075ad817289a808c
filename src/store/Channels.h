#pragma once

// The data store: the channel, its result sets, the schema, and the helpers for the texts
// and numbers that go into SQL.
#include "store/AdoChannel.h"
#include "store/AdoQuery.h"
#include "store/DayNumber.h"
#include "store/FileCheck.h"
#include "store/Schema.h"
#include "store/SqlText.h"
