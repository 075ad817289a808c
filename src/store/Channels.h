#pragma once

// The data store: the channel, its result sets, the schema, and the helpers for the texts
// and numbers that go into SQL.
#include "AdoChannel.h"
#include "AdoQuery.h"
#include "DayNumber.h"
#include "FileCheck.h"
#include "Schema.h"
#include "SqlText.h"
