#pragma once

// Exit codes of ecuctl, so that scripts and test benches can tell failures apart.
enum ExitCode : int {
  EXIT_OK = 0,
  EXIT_USAGE = 1,            // unknown command, option or item name
  EXIT_LIBRARY = 2,          // protocol library missing or out of date
  EXIT_NO_ANSWER = 3,        // the unit did not answer the identification
  EXIT_UNSUPPORTED_UNIT = 4, // the unit answered but is not supported
  EXIT_CONNECTION = 5,       // the unit refused the connection or the line was lost
  EXIT_VALUE_REFUSED = 6,    // a value was refused (by the item or by the unit)
  EXIT_FILE = 7,             // a file could not be read, deciphered or written
  EXIT_LOAD_INCOMPLETE = 8,  // a configuration loaded with entries that failed
  EXIT_BUSY = 9,             // the live-value refresh could not be stopped
  EXIT_DIFFERENT = 10,       // diff: the file and the unit differ
  EXIT_NOT_READ = 11,        // report: values could not be read from the unit (written as "not read")
  EXIT_OTHER_UNIT = 12       // load: the file is a restore point of another unit, and --yes was not given
};
