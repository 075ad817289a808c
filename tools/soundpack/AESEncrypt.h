#pragma once

// The forward AES cipher (FIPS-197 5.1), needed only to prepare data in the enciphered form.
// Written round step by round step, not table-driven, so that it also serves as an
// independent check of the program's table-driven inverse cipher.

#include "cipher/ElAES.h"

TAESBuffer EncryptAES(const TAESBuffer& block, const TAESExpandedKey128& key);
TAESBuffer EncryptAES(const TAESBuffer& block, const TAESExpandedKey192& key);
TAESBuffer EncryptAES(const TAESBuffer& block, const TAESExpandedKey256& key);
