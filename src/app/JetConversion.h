#pragma once

#include <QString>

// When the database beside the program is an Access (Jet 4) file, as the program kept it on
// Windows, asks whether to convert it; on yes converts it with a progress window and keeps the
// Access file beside it under a new name. True when start-up goes on (no Access file, or
// converted); false when the program ends (declined, or the conversion failed and said so).
bool OfferJetConversion(const QString& dir);

// The name the Access file is kept under: Tavelo-Access.mdb, or with a number when taken.
QString KeptJetName(const QString& dir);
