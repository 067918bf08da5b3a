// Splits text held in memory into lines the way the C runtime's text mode reads them.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

enum class LineText
{
    Bytes, // lines as they stand, no check of their bytes
    Utf8,  // a leading byte-order mark is consumed, every line must be well-formed UTF-8
};

enum class LineResult
{
    Line,       // `line` holds the next line, without its line end
    End,        // no further line
    InvalidText // (Utf8 only) the next line is not UTF-8; reading stops here
};

// A line ends at LF; CR LF counts as one line end; a lone CR is an ordinary character. The
// last line may lack its end; text after the last line end that is empty is not a line.
// The lines are views into the caller's bytes, which must outlive them.
class LineReader
{
public:
    LineReader(std::string_view bytes, LineText text);

    LineResult Next(std::string_view& line);

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
    LineText m_text;
};

} // namespace platform
