// A fresh run's settings for the tests of the parser and the run driver, which write the global
// record: the defaults while the object lives, the earlier settings again when it goes.
#pragma once

#include "common/app_options.h"

// The passes take their options as a parameter, so their tests keep a record of their own and
// need no ScopedOptions.
class ScopedOptions {
 public:
  ScopedOptions() : saved_(g_options) { g_options = AppOptions{}; }
  ~ScopedOptions() { g_options = saved_; }
  ScopedOptions(const ScopedOptions&) = delete;
  ScopedOptions& operator=(const ScopedOptions&) = delete;

 private:
  AppOptions saved_;
};
