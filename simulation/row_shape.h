#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

/// Bytes from the start of a data file that the row-shape check looks at:
/// enough for thousands of lines, cheap next to any load.
inline constexpr std::size_t kRowShapeScanBytes = std::size_t(1) << 20;

/// Looks at the lines of `text` that hold the first `valuesRead` values, as
/// the loader reads them (blank lines skipped, a line that reaches past those
/// values left out).
/// When there are at least two such lines, each holding the same number of
/// values, and that number is more than one but not `columns`, returns
/// "Data lines hold N values; B planets need C"; otherwise an empty text.
/// Line breaks mean nothing to the reader, so this is only a hint that the
/// body count does not fit the file.
std::string RowShapeNote(std::string_view text, int32_t columns, std::size_t valuesRead);

/// The same for the first kRowShapeScanBytes of the open file `fd`, read
/// from its start without moving the file offset.
std::string RowShapeNoteOfFile(int fd, int32_t columns, std::size_t valuesRead);
