#include "formats/pagestream/RunLengthDecoding.h"

#include <cstddef>
#include <cstring>

namespace {

template <std::size_t unit>
int DecodeRuns(std::uint8_t* output, int capacity, const std::uint8_t* data, int length)
{
    if (data == nullptr || length <= 0) {
        return 0;
    }
    const std::size_t end = static_cast<std::size_t>(length);
    const std::size_t room =
        capacity > 0 && output != nullptr ? static_cast<std::size_t>(capacity) : 0;
    std::size_t in = 0;
    std::size_t out = 0;
    while (in < end) {
        const unsigned control = data[in++];
        if (control < 0x80) {
            const std::size_t bytes = (control + 1) * unit;
            if (bytes > end - in || bytes > room - out) {
                return -1;
            }
            std::memcpy(output + out, data + in, bytes);
            in += bytes;
            out += bytes;
        } else {
            const std::size_t copies = 257 - control;
            if (unit > end - in || copies * unit > room - out) {
                return -1;
            }
            if constexpr (unit == 1) {
                std::memset(output + out, data[in], copies);
            } else {
                for (std::size_t i = 0; i < copies; ++i) {
                    std::memcpy(output + out + i * unit, data + in, unit);
                }
            }
            in += unit;
            out += copies * unit;
        }
    }
    return static_cast<int>(out);
}

} // namespace

int DecodeRunBytes(std::uint8_t* output, int capacity, const std::uint8_t* data, int length)
{
    return DecodeRuns<1>(output, capacity, data, length);
}

int DecodeRun24(std::uint8_t* output, int capacity, const std::uint8_t* data, int length)
{
    return DecodeRuns<3>(output, capacity, data, length);
}
