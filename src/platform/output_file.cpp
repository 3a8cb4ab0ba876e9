#include "platform/output_file.h"

// The same on every system: the State's deleter does the system's part.
OutputFile::OutputFile() = default;

OutputFile::~OutputFile() = default;

void OutputFile::Discard() {
  state_.reset();
}
