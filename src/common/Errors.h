#pragma once

#include <stdexcept>
#include <string>

// Every error that is meant to reach the application's general error report derives from
// ETaveloError; the application catches this type around every event and shows what().
// Messages are UTF-8.
class ETaveloError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A stream that delivered or took fewer bytes than asked ("Stream read error", ...).
class EStreamError : public ETaveloError {
public:
    using ETaveloError::ETaveloError;
};

// Text that does not convert to a number.
class EConvertError : public ETaveloError {
public:
    using ETaveloError::ETaveloError;
};

// A file that cannot be opened or created.
class EFileError : public ETaveloError {
public:
    using ETaveloError::ETaveloError;
};

// Transaction control or result-set editing that the database refused.
class EDatabaseError : public ETaveloError {
public:
    using ETaveloError::ETaveloError;
};
