#pragma once

#include <stdexcept>

// An operating-system failure on a file: the message names the file and the reason.
class EStreamError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};
