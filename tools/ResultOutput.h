#pragma once
// Standard output carries the analyzer's results and nothing else. A closed pipe is not a
// signal here but a failed write, so a reader that goes away (`| head -1`) ends the run.
#include <string_view>

namespace tamsel {

// Exit status of a run of which something could not be written: a snapshot, a CSV line or
// the results.
constexpr int kWriteFailed = 3;
// --live ended without a single sample from the sound server.
constexpr int kNothingCaptured = 4;

// Line-buffered standard output; a closed pipe or a file-size limit reported as a write error.
void prepareResultOutput();

// Writes and flushes the text. On failure says why on standard error (nothing when the reader
// went away) and returns false.
bool writeResults(std::string_view text);

} // namespace tamsel
