// Replacement.h - the state of a replacement that OpenToReplace began.
#ifndef QVBASE_SRC_NEUTRAL_REPLACEMENT_H
#define QVBASE_SRC_NEUTRAL_REPLACEMENT_H

#include <QvBase/QvNeutralFile.h>

#include <string>

struct QvNeutralFile::Replacement {
  std::string target;   // the file that Commit replaces
  std::string temp;     // the temporary file the stream writes
  bool failed = false;  // a write since OpenToReplace failed
};

#endif  // QVBASE_SRC_NEUTRAL_REPLACEMENT_H
