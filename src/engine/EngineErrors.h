#pragma once

#include "common/Errors.h"

// A stored sound file whose compressed stream cannot be inflated as announced.
class EInflateError : public ETaveloError {
public:
    using ETaveloError::ETaveloError;
};
