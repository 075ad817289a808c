#pragma once

#include "model/Prompts.h"

#include <QString>

// Whether the program folder holds a database the program can work with. When it does not,
// *refusal is the message to show before the program ends without a window.
bool CheckProgramFolder(const QString& dir, TMessage* refusal);

class TInstanceLock;
// Takes the lock beside the program folder's database that every process writing it takes
// (another user's or session's program, a tavelo-admin command). When another process holds
// it, *refusal is the message to show before the program ends. A lock that cannot be made
// (a read-only folder) does not refuse here: the folder's check says why.
bool LockProgramDatabase(TInstanceLock& lock, const QString& dir, TMessage* refusal);
